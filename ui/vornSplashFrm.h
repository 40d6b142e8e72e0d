#pragma once
// A window that refuses to be closed until it allows it itself, and the splash
// built on it that closes itself after its visibility time.

#include <QTimer>
#include <QWidget>

class TvornBaseForm : public QWidget {
    Q_OBJECT
public:
    explicit TvornBaseForm(QWidget *parent = nullptr);
    bool MayClose() const { return FMayClose; }
    void SetMayClose(bool value) { FMayClose = value; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    bool FMayClose = false;
};

class TvornSplashForm : public TvornBaseForm {
    Q_OBJECT
public:
    explicit TvornSplashForm(QWidget *parent = nullptr);
    void SetVisibilityTime(int msecs);
    int VisibilityTime() const { return FVisibilityTime; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void VisibilityTimerTimer();
    QTimer *VisibilityTimer;
    int FVisibilityTime = 1500;
};
