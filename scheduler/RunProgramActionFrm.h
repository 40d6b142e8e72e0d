#pragma once
// Opens a computer task's program, document, folder or web address after a
// countdown the user can cancel, counts the run and closes.

#include "scheduler/CountdownFrm.h"

class TRunProgramActionForm : public TCountdownActionForm {
    Q_OBJECT
public:
    explicit TRunProgramActionForm(TActionContext &context, QWidget *owner = nullptr);

    // The line shown for a failed start, by the launcher's code; empty for
    // codes without one (the countdown text stays).
    static QString ErrorText(int shellResult);
    void FinishRun();

    int StartValue() const override;
    void CancelTimerTimer() override;

private:
    QLabel *lblRunprogram;
};
