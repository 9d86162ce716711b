#pragma once

#include <QDialog>

#include <string>
#include <vector>

class QLabel;

namespace corvane {

class Prompt;

// "Security Properties": what the store holds about one security of the
// current directory.
class DlgProperties : public QDialog {
public:
    DlgProperties(Prompt& prompt, const std::string& symbol, QWidget* parent = nullptr);

    // The six lines of the security and the format line, as shown.
    QStringList Lines() const;

private:
    struct Line {
        QLabel* label;
        QLabel* value;
        QString text;
    };
    std::vector<Line> lines_;
};

}  // namespace corvane
