#pragma once
// A shaped notice with a title, a text and OK, for results and warnings. It
// does not wait: each call opens a window of its own, and only OK closes it.

#include "scheduler/ActionFrm.h"

class QPushButton;

class TInfoDlgForm : public TActionForm {
    Q_OBJECT
public:
    static constexpr int kWidth = 367;
    static constexpr int kHeight = 179;

    explicit TInfoDlgForm(TActionContext &context, QWidget *owner = nullptr);
    // Shows the title and the text ("\r" a line break) and returns at once.
    void Open(const QString &title, const QString &text);

private slots:
    void btnOKClick();

private:
    QLabel *lblText;
    QPushButton *btnOK;
};

// Opens a new dialog with the title and text and returns at once. A "\r" in
// text is a line break.
TInfoDlgForm *ShowInfoDialog(TActionContext &context, const QString &title, const QString &text);
