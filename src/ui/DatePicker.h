#pragma once

#include <QDateEdit>

namespace corvane {

// A date field in the MM/DD/YYYY form with a calendar pop-up. A date typed
// over the whole text (as it stands once the field takes the focus) replaces
// the whole date: digits and slashes are collected, M/D/YYYY or MM/DD/YYYY,
// and taken once the year is complete, at Return, or when the field loses
// the focus. What is no date is refused with a beep and a tip naming it,
// and the field shows its date again. Editing one part of the date (after a
// click into the focused field, or with the arrow keys) is QDateEdit's own.
class DatePicker : public QDateEdit {
public:
    explicit DatePicker(QWidget* parent = nullptr);

    // The last refusal, until the next date is taken; empty if none.
    const QString& Refusal() const { return refusal_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void ShowTyped();
    // Ends the typing: takes the typed date or refuses it. False when refused.
    bool TakeTyped();
    void Refuse(const QString& why);

    bool typing_ = false;
    bool selectAllOnRelease_ = false;
    QString typed_;
    QString refusal_;
};

}  // namespace corvane
