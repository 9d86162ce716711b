#pragma once

#include <QPointer>
#include <QWidget>

#include "Progress.h"
#include "SettingsStore.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace corvane {

// The small window of a long operation that runs on the user-interface
// thread: a message, a bar, a Cancel button, and the percentage done in the
// title. The operation drives it and calls PumpPendingMessages between units
// of work. Its position is kept in the settings ("Settings", "X" and "Y").
class ProgressWnd : public QWidget {
    Q_OBJECT

public:
    // `mainWindow` is disabled while the window runs modally.
    ProgressWnd(SettingsStore& settings, QWidget* mainWindow);
    ~ProgressWnd() override;

    bool OpenProgressWindow(QWidget* owner, const QString& title, bool smooth);
    void MakeModal(const QString& title, bool smooth);
    void SetLayout(int textLines, int width);
    void SetBounds(int lower, int upper, int step);
    // Returns the former position.
    int SetPosition(int position);
    int MoveBy(int amount) { return SetPosition(position_ + amount); }
    int Advance() { return SetPosition(position_ + step_); }
    int SetAdvance(int step);
    void SetMessage(const QString& text);
    // The title shown, with the percentage, from the next change of percentage on.
    void SetStoredTitle(const QString& title) { title_ = title; }
    void ResetProgress();
    void ShowProgress();
    void HideProgress();
    void CancelProgress();
    void PumpPendingMessages(bool cancelOnEscape);
    bool IsCancelled() const { return cancelled_; }
    void CloseProgressWindow();

    void SetRememberPosition(bool remember) { rememberPosition_ = remember; }
    bool IsOpen() const { return open_; }
    bool IsModal() const { return modal_; }
    QString BaseTitle() const { return title_; }
    QPushButton& CancelButton() const { return *cancelButton_; }
    QLabel& MessageLabel() const { return *message_; }

    // The window as the core's long operations drive it.
    Progress& AsProgress() { return adapter_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    class Adapter : public Progress {
    public:
        explicit Adapter(ProgressWnd& window) : window_(window) {}
        void SetRange(int maximum) override { window_.SetBounds(0, maximum, 1); }
        void SetPosition(int position) override { (void)window_.SetPosition(position); }
        void SetText(const std::string& text) override {
            window_.SetMessage(QString::fromStdString(text));
        }
        bool IsCancelled() override {
            window_.PumpPendingMessages(true);
            return window_.IsCancelled();
        }

    private:
        ProgressWnd& window_;
    };

    void Place(QWidget* owner);

    SettingsStore& settings_;
    QPointer<QWidget> mainWindow_;
    QLabel* message_;
    QProgressBar* bar_;
    QPushButton* cancelButton_;
    QString title_ = QStringLiteral("Progress");
    bool open_ = false;
    bool cancelled_ = false;
    bool modal_ = false;
    bool rememberPosition_ = true;
    bool escapeCancels_ = false;
    int position_ = 0;
    int lastPercent_ = 0;
    int step_ = 1;
    int lower_ = 0;
    int upper_ = 100;
    int textLines_ = 4;
    Adapter adapter_{*this};
};

}  // namespace corvane
