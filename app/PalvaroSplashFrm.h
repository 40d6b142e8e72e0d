#pragma once
// The start-up splash: the "SPL0" picture with the version on it.

#include "app/vornSplashFrm.h"

class QLabel;
class TFormShaper;

class TPalvaroSplashForm : public TvornSplashForm {
    Q_OBJECT
public:
    explicit TPalvaroSplashForm(QWidget *parent = nullptr);

    QLabel *lblTitle;
    TFormShaper *Shaper;
};
