#pragma once

#include <QDialog>

#include <memory>
#include <string>

#include "CDownloader.h"

class QCheckBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace corvane {

// What a download dialog needs to run a download.
struct DownloadContext {
    HttpClient& http;
    Prompt& prompt;
    const Clock& clock;
    EventPump& pump;
    ServiceUrls services;
    std::filesystem::path reportPath;
    std::function<void()> reloadSecurityList;
    std::function<void(const QString& topic)> openHelp;
};

// "Download Historical Quotes": runs a download of the typed symbols, or of
// the batch table's directories, with its progress and times.
class DlgDownloadHistQuotes : public QDialog {
public:
    // symbols: each preceded by a space. With a batch table the symbols
    // field is disabled and the run covers the table's selected directories.
    DlgDownloadHistQuotes(DownloadContext context, const std::string& symbols,
                          const BatchTable* batch = nullptr, QWidget* parent = nullptr);
    ~DlgDownloadHistQuotes() override;

    // Preset opening: the caller's symbols and dates (YYYYMMDD).
    void SetPreset(const std::string& symbols, std::int32_t start, std::int32_t end);
    void OnGetQuotes();
    // True once a run has ended (whatever Cancel did meanwhile).
    bool Ran() const { return ran_; }
    bool CancelPressed() const { return cancelled_; }
    void reject() override;

private:
    class BarProgress;

    DownloadContext context_;
    std::unique_ptr<CDownloader> downloader_;
    std::unique_ptr<BarProgress> progress_;
    QLineEdit* symbols_;
    QDateEdit* start_;
    QDateEdit* end_;
    QRadioButton* daily_;
    QRadioButton* weekly_;
    QRadioButton* monthly_;
    QProgressBar* bar_;
    QLabel* status_;
    QLabel* elapsed_;
    QLabel* remaining_;
    QCheckBox* overwrite_;
    QPushButton* getQuotes_;
    QPushButton* cancel_;
    bool running_ = false;
    bool ran_ = false;
    bool cancelled_ = false;
};

}  // namespace corvane
