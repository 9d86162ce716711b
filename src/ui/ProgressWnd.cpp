#include "ProgressWnd.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

namespace corvane {

namespace {

constexpr int kMargin = 10;
constexpr int kBarHeight = 13;
constexpr int kButtonWidth = 60;
constexpr int kButtonHeight = 20;
constexpr int kMaxMessage = 511;

}  // namespace

ProgressWnd::ProgressWnd(SettingsStore& settings, QWidget* mainWindow)
    : QWidget(nullptr, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                           Qt::WindowTitleHint),
      settings_(settings),
      mainWindow_(mainWindow),
      message_(new QLabel(this)),
      bar_(new QProgressBar(this)),
      cancelButton_(new QPushButton(QStringLiteral(" Cancel "), this)) {
    setObjectName(QStringLiteral("progressWindow"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setCursor(Qt::BusyCursor);
    message_->setTextFormat(Qt::PlainText);
    message_->setWordWrap(false);
    message_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    bar_->setTextVisible(false);
    bar_->setRange(lower_, upper_);
    cancelButton_->setObjectName(QStringLiteral("progressCancel"));
    connect(cancelButton_, &QPushButton::clicked, this, [this] { CancelProgress(); });
    resize(390, 130);
}

ProgressWnd::~ProgressWnd() {
    CloseProgressWindow();
}

bool ProgressWnd::OpenProgressWindow(QWidget* owner, const QString& title, bool smooth) {
    title_ = title;
    bar_->setStyleSheet(
        smooth ? QString() : QStringLiteral("QProgressBar::chunk { width: 8px; margin: 1px; }"));
    setWindowTitle(title_);
    SetLayout(textLines_, 390);
    open_ = true;
    // Under a modal dialog only that dialog's own windows take the mouse: the
    // window joins the dialog that runs the work, so Cancel answers clicks.
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal != this && parentWidget() != modal) setParent(modal, windowFlags());
    Place(owner ? owner : mainWindow_.data());
    show();
    return true;
}

void ProgressWnd::MakeModal(const QString& title, bool smooth) {
    if (!open_) OpenProgressWindow(mainWindow_, title, smooth);
    if (mainWindow_) mainWindow_->setEnabled(false);
    setEnabled(true);
    modal_ = true;
}

void ProgressWnd::SetLayout(int textLines, int width) {
    textLines_ = textLines;
    const int inner = width - 2 * kMargin;
    const int messageHeight = message_->fontMetrics().lineSpacing() * textLines;
    message_->setGeometry(kMargin, kMargin, inner, messageHeight);
    const int barTop = kMargin + messageHeight + kMargin / 2;
    bar_->setGeometry(kMargin, barTop, inner, kBarHeight);
    const int buttonTop = barTop + kBarHeight + kMargin / 2;
    cancelButton_->setGeometry(width - kMargin - kButtonWidth, buttonTop, kButtonWidth,
                               kButtonHeight);
    setFixedSize(width, buttonTop + kButtonHeight + kMargin);
}

void ProgressWnd::Place(QWidget* owner) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize screenSize = screen ? screen->size() : QSize(640, 480);
    if (rememberPosition_) {
        const int x = settings_.ReadInt("Settings", "X", -1);
        const int y = settings_.ReadInt("Settings", "Y", -1);
        if (x >= 0 && x < screenSize.width() && y >= 0 && y < screenSize.height()) {
            move(x, y);
            return;
        }
    }
    const QRect area = owner ? owner->frameGeometry() : QRect(QPoint(0, 0), screenSize);
    move(area.center() - QPoint(width() / 2, height() / 2));
}

void ProgressWnd::SetBounds(int lower, int upper, int step) {
    if (!open_) return;
    lower_ = lower;
    upper_ = upper;
    step_ = step;
    bar_->setRange(lower, upper);
}

int ProgressWnd::SetPosition(int position) {
    const int former = position_;
    if (!open_) return former;
    ShowProgress();
    position_ = position;
    const int percent = lower_ < upper_
                            ? static_cast<int>(static_cast<long long>(position) * 100 /
                                               (static_cast<long long>(upper_) - lower_))
                            : 0;
    if (percent != lastPercent_) {
        lastPercent_ = percent;
        setWindowTitle(QStringLiteral("%1 [%2%]").arg(title_).arg(percent));
    }
    bar_->setValue(position);
    return former;
}

int ProgressWnd::SetAdvance(int step) {
    const int former = step_;
    step_ = step;
    return former;
}

void ProgressWnd::SetMessage(const QString& text) {
    if (open_) message_->setText(text.left(kMaxMessage));
}

void ProgressWnd::ResetProgress() {
    if (!open_) return;
    message_->clear();
    position_ = 0;
    bar_->setValue(lower_);
    cancelled_ = false;
    repaint();
}

void ProgressWnd::ShowProgress() {
    if (open_ && !isVisible()) {
        show();
        repaint();
    }
}

void ProgressWnd::HideProgress() {
    if (open_ && isVisible()) hide();
}

void ProgressWnd::CancelProgress() {
    cancelled_ = true;
    HideProgress();
    if (modal_) CloseProgressWindow();
    if (mainWindow_) mainWindow_->activateWindow();
}

void ProgressWnd::PumpPendingMessages(bool cancelOnEscape) {
    if (modal_ && QApplication::focusWidget() && QApplication::focusWidget()->window() != this)
        setFocus();
    escapeCancels_ = cancelOnEscape;
    qApp->installEventFilter(this);
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    qApp->removeEventFilter(this);
    escapeCancels_ = false;
}

bool ProgressWnd::eventFilter(QObject* watched, QEvent* event) {
    if (escapeCancels_ && !cancelled_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        CancelProgress();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void ProgressWnd::closeEvent(QCloseEvent* event) {
    // The title bar's close box asks to stop, like the Cancel button.
    event->ignore();
    CancelProgress();
}

void ProgressWnd::CloseProgressWindow() {
    if (!open_) return;
    if (rememberPosition_) {
        settings_.WriteInt("Settings", "X", pos().x());
        settings_.WriteInt("Settings", "Y", pos().y());
    }
    if (modal_) {
        modal_ = false;
        if (mainWindow_) mainWindow_->setEnabled(true);
    }
    open_ = false;
    hide();
    if (parentWidget()) setParent(nullptr, windowFlags());
}

}  // namespace corvane
