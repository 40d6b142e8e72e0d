#pragma once
// The full-moon notice: a picture of the night sky carrying the announcement
// ("Full moon tonight!- \"Wolf Moon\"") and the local time of best
// illumination, with one button, Dismiss. It serves the full-moon service
// reminder and completes it when dismissed.

#include "scheduler/ActionFrm.h"

class QFrame;
class QPushButton;
class TFormShaper;

class TFullMoonForm : public TActionForm {
    Q_OBJECT
public:
    explicit TFullMoonForm(TActionContext &context, QWidget *owner = nullptr);
    ~TFullMoonForm() override;

    void StartAction(int i) override;

    // Size of the window without its picture (the picture's size otherwise).
    static constexpr int kWidth = 324;
    static constexpr int kHeight = 270;

protected:
    void FormClose() override;
    void paintEvent(QPaintEvent *event) override;

private slots:
    void btnOKClick();

private:
    QLabel *lblAppName;
    QLabel *lblLocaltimeinfo;
    QFrame *pnlBtnPanel;
    QPushButton *btnOK;
    TFormShaper *FormShaper1;

    void CentreOnScreen();
};
