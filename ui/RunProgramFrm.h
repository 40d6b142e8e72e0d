#pragma once
// The wizard's "Run" dialog: the program (or folder, document, internet
// address) a computer task opens, with its parameters. It edits a copy of the
// record's program block; the reserved bytes pass through untouched.

#include "model/TaskData.h"

#include <QDialog>
#include <QString>
#include <functional>
#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class TFormPlacement;
class TvornIniFile;

class TRunProgramForm : public QDialog {
    Q_OBJECT
public:
    TRunProgramForm(TvornIniFile *ini, const QString &productName, QWidget *parent = nullptr);
    ~TRunProgramForm() override;

    // Copy in, run modally (ModalRun), copy back only on OK. Returns
    // QDialog::Accepted or QDialog::Rejected.
    // Opens the dialog on a copy of block, modal to owner; finished receives
    // whether the user pressed OK, and the block as the dialog left it.
    static void Edit(const TProgramBlock &block, TvornIniFile *ini, const QString &productName, QWidget *owner,
                     std::function<void(bool accepted, const TProgramBlock &block)> finished);
    // The block names something to open: the program name is not blank.
    static bool Test(const TProgramBlock &block);

    // The fields from a block, and the block as OK stores it.
    void SetBlock(const TProgramBlock &block);
    const TProgramBlock &Block() const { return FBlock; }

    // The visible length limit of the parameters field.
    static constexpr int ParametersMaxLength = 50;

    QLineEdit *fedProgramPathname;
    QToolButton *btnBrowse; // of fedProgramPathname
    QLineEdit *edtProgramParameters;
    QLabel *LMDLabel3;
    QPushButton *btnOK;
    QPushButton *btnClear;
    QPushButton *btnCancel;

    void done(int result) override;

private slots:
    void fedProgramPathnameChange();
    void fedProgramPathnameBrowse();
    void btnOKClick();
    void btnClearClick();

private:
    TProgramBlock FBlock{};
    std::unique_ptr<TFormPlacement> FPlacement;
};
