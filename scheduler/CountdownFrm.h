#pragma once
// What the run-program, shutdown and e-mail windows share: a shaped window
// with a logo, a one-second countdown the user can cancel, a result line that
// stays for a moment, and the reschedule test on the way out.

#include "scheduler/ActionFrm.h"

#include <QLabel>
#include <functional>

class QFrame;
class QPushButton;
class QTimer;
class TFormShaper;

class TCountdownActionForm : public TActionForm {
    Q_OBJECT
public:
    void StartAction(int i) override;

    int Countdown = 0;

    // True while a pause before closing runs (the window does nothing else).
    bool Pausing() const { return FPausing; }
    // Seconds at the start: the short start when run on request.
    virtual int StartValue() const = 0;
    virtual QString CountdownText() const;
    // One second of the countdown (the timer's handler).
    virtual void CancelTimerTimer() = 0;

protected:
    QLabel *lblActionDesc;
    QLabel *imgActionTypeLogo;
    QLabel *lblSecsRemaining;
    QFrame *pnlBtnPanel2;
    QPushButton *btnCancel;
    QTimer *CancelTimer;
    TFormShaper *FormShaper1;

    TCountdownActionForm(TActionContext &context, const QString &caption, const QString &logo, QWidget *owner);

    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void FormClose() override;

    // Shows text at once, waits the context's PauseMs without blocking the program, then runs next
    // (a continuation of this window's own steps, so a callback rather than a signal).
    void ShowThenPause(const QString &text, std::function<void()> next);
    // Reschedules unless a note of the same firing decides or it was done already; closes.
    void RescheduleAndClose();
    // Stops the countdown, says so for a moment and closes (ignored while a pause runs).
    void CancelAction();

private slots:
    void btnCancelActionClick() { CancelAction(); }

private:
    bool FShown = false;
    bool FPausing = false;
};
