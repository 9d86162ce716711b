#include "DatePicker.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QToolTip>

namespace corvane {

namespace {

constexpr int kLongestDate = 10;  // MM/DD/YYYY

// The date of "M/D/YYYY" (one or two digits each for month and day);
// invalid for anything else.
QDate ParseTyped(const QString& text) {
    static const QRegularExpression form(QStringLiteral("^(\\d{1,2})/(\\d{1,2})/(\\d{4})$"));
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch()) return {};
    return QDate(match.captured(3).toInt(), match.captured(1).toInt(), match.captured(2).toInt());
}

bool IsYearComplete(const QString& text) {
    const qsizetype slash = text.lastIndexOf(u'/');
    return text.count(u'/') == 2 && text.size() - slash - 1 == 4;
}

}  // namespace

DatePicker::DatePicker(QWidget* parent) : QDateEdit(parent) {
    setCalendarPopup(true);
    setDisplayFormat(QStringLiteral("MM/dd/yyyy"));
    // Clicks into the text reach the edit inside, not the picker.
    lineEdit()->installEventFilter(this);
}

bool DatePicker::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lineEdit()) {
        if (event->type() == QEvent::MouseButtonPress && typing_) {
            (void)TakeTyped();
        } else if (event->type() == QEvent::MouseButtonRelease && selectAllOnRelease_) {
            lineEdit()->event(event);  // where the edit places its cursor
            selectAllOnRelease_ = false;
            selectAll();
            return true;
        }
    }
    return QDateEdit::eventFilter(watched, event);
}

void DatePicker::focusInEvent(QFocusEvent* event) {
    QDateEdit::focusInEvent(event);
    // QDateEdit selects the first part only, and typing a whole date into
    // it runs on into the other parts and loses keys on the way. A click
    // places the cursor once pressed: select after it is released.
    if (event->reason() == Qt::MouseFocusReason)
        selectAllOnRelease_ = true;
    else
        selectAll();
}

void DatePicker::focusOutEvent(QFocusEvent* event) {
    selectAllOnRelease_ = false;
    if (typing_) (void)TakeTyped();
    QDateEdit::focusOutEvent(event);
}

void DatePicker::mousePressEvent(QMouseEvent* event) {
    if (typing_) (void)TakeTyped();
    QDateEdit::mousePressEvent(event);
}

void DatePicker::wheelEvent(QWheelEvent* event) {
    if (typing_) (void)TakeTyped();
    QDateEdit::wheelEvent(event);
}

void DatePicker::keyPressEvent(QKeyEvent* event) {
    selectAllOnRelease_ = false;
    const QString text = event->text();
    const bool digit = text.size() == 1 && text[0].isDigit() && text[0].unicode() < 0x80;
    const bool slash = text == QStringLiteral("/");
    if (!typing_) {
        QLineEdit* edit = lineEdit();
        const bool wholeSelected = !edit->text().isEmpty() && edit->selectedText() == edit->text();
        if (!digit || !wholeSelected || isReadOnly()) {
            QDateEdit::keyPressEvent(event);
            return;
        }
        typing_ = true;
        typed_.clear();
    }
    event->accept();
    if (digit || slash) {
        if (typed_.size() >= kLongestDate) {
            Refuse(typed_ + text);
            return;
        }
        typed_ += text;
        ShowTyped();
        if (IsYearComplete(typed_)) (void)TakeTyped();
        return;
    }
    switch (event->key()) {
        case Qt::Key_Backspace:
            typed_.chop(1);
            ShowTyped();
            return;
        case Qt::Key_Escape:
            typing_ = false;
            setDate(date());  // shows it again
            selectAll();
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // A refused date must not go on to the dialog's default button.
            if (!TakeTyped()) return;
            break;
        default:
            if (!text.isEmpty() && text[0].isPrint() &&
                !(event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier))) {
                QApplication::beep();  // a letter has no place in a date
                return;
            }
            (void)TakeTyped();
            break;
    }
    QDateEdit::keyPressEvent(event);
}

void DatePicker::ShowTyped() {
    // QDateEdit reads its text back as a date on every change; the parts of
    // a date being typed are not one yet.
    QLineEdit* edit = lineEdit();
    const QSignalBlocker block(edit);
    edit->setText(typed_);
    edit->setCursorPosition(static_cast<int>(typed_.size()));
}

bool DatePicker::TakeTyped() {
    typing_ = false;
    if (typed_.isEmpty()) {
        setDate(date());
        selectAll();
        return true;
    }
    const QDate typed = ParseTyped(typed_);
    if (!typed.isValid() || typed < minimumDate() || typed > maximumDate()) {
        Refuse(typed_);
        return false;
    }
    refusal_.clear();
    QToolTip::hideText();
    setDate(typed);  // shows it in its own form, the same date too
    selectAll();
    return true;
}

void DatePicker::Refuse(const QString& what) {
    typing_ = false;
    refusal_ = QStringLiteral("%1 is not a date. Type it as MM/DD/YYYY, for instance %2.")
                   .arg(what, date().toString(QStringLiteral("MM/dd/yyyy")));
    setDate(date());
    selectAll();
    QApplication::beep();
    QToolTip::showText(mapToGlobal(QPoint(0, height())), refusal_, this);
}

}  // namespace corvane
