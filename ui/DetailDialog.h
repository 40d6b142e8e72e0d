#pragma once
// What the wizard's detail dialogs (the program to run, the recipients) have
// in common: a tool window that keeps its place under its own ini section, a
// right-aligned row of OK, the dialog's own buttons and Cancel, and one
// answer when it closes.

#include <QDialog>
#include <functional>
#include <initializer_list>
#include <memory>

class IMessageBoxes;
class QHBoxLayout;
class QPushButton;
class TFormPlacement;
class TvornIniFile;

class TDetailDialog : public QDialog {
    Q_OBJECT
public:
    ~TDetailDialog() override;
    void done(int result) override;

protected:
    // section: where the placement is kept; objectName names the window.
    TDetailDialog(TvornIniFile *ini, const QString &section, const QString &objectName, const QString &title,
                  QWidget *parent);

    // Makes OK (the default button) and Cancel and lines them up with
    // between, the dialog's own buttons, in the order Tab visits them.
    QHBoxLayout *MakeButtonRow(std::initializer_list<QPushButton *> between = {});
    // Once the layout is complete: the size and place the user left.
    void RestorePlacement();
    // Shows dialog modal to its parent only; finished learns whether OK
    // closed it. Without boxes nothing is shown and it counts as cancelled.
    // A callback: the one answer decides the caller's next step.
    static void Run(IMessageBoxes *boxes, TDetailDialog *dialog, std::function<void(bool accepted)> finished);

    QPushButton *btnOK = nullptr;
    QPushButton *btnCancel = nullptr;

private:
    std::unique_ptr<TFormPlacement> FPlacement;
};
