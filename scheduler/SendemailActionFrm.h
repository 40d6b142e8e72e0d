#pragma once
// Sends a fired reminder's e-mail after a countdown the user can cancel: the
// title as subject, the notes and the signature as body, to the reminder's
// recipients. The SMTP exchange runs on a thread of its own so that a slow
// server does not stop the program; the window waits for its result.

#include "scheduler/CountdownFrm.h"
#include "scheduler/MailMessage.h"

#include <atomic>
#include <memory>

class QThread;

class TSendemailActionForm : public TCountdownActionForm {
    Q_OBJECT
public:
    explicit TSendemailActionForm(TActionContext &context, QWidget *owner = nullptr);
    // Ends a running exchange and waits for its thread (about a second at most).
    ~TSendemailActionForm() override;

    bool Sending() const;

signals:
    // The exchange ended; the window then shows the result.
    void SendFinished(bool ok);

public:
    int StartValue() const override;
    void CancelTimerTimer() override;

private:
    QLabel *lblSendto;

    void StartSending(const TMailJob &job);
    void SendDone(bool ok, const QString &error);
    void Finish();

    QThread *FWorker = nullptr;
    std::shared_ptr<std::atomic<bool>> FAbort;
    bool FResultOk = false;
    QString FResultError;
};
