#pragma once
// The wizard's "Run" dialog: the program (or folder, document, internet
// address) a computer task opens, with its parameters. It edits a copy of the
// record's program block; the reserved bytes pass through untouched.

#include "model/TaskData.h"

#include "ui/DetailDialog.h"

#include <QString>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

class TRunProgramForm : public TDetailDialog {
    Q_OBJECT
public:
    // boxes opens the browse dialog; none: Browse shows nothing.
    TRunProgramForm(IMessageBoxes *boxes, TvornIniFile *ini, const QString &productName, QWidget *parent = nullptr);
    ~TRunProgramForm() override;

    // Opens the dialog on a copy of block, modal to owner; finished receives
    // whether the user pressed OK, and the block as the dialog left it (a
    // callback: one answer, on which the wizard's next step depends).
    static void Edit(IMessageBoxes *boxes, const TProgramBlock &block, TvornIniFile *ini, const QString &productName,
                     QWidget *owner, std::function<void(bool accepted, const TProgramBlock &block)> finished);
    // The block names something to open: the program name is not blank.
    static bool Test(const TProgramBlock &block);

    // The fields from a block, and the block as OK stores it.
    void SetBlock(const TProgramBlock &block);
    const TProgramBlock &Block() const { return FBlock; }

    // The visible length limit of the parameters field.
    static constexpr int ParametersMaxLength = 50;

private slots:
    void fedProgramPathnameChange();
    void fedProgramPathnameBrowse();
    void btnOKClick();
    void btnClearClick();

private:
    IMessageBoxes *FBoxes;
    QLineEdit *fedProgramPathname;
    QToolButton *btnBrowse; // of fedProgramPathname
    QLineEdit *edtProgramParameters;
    QLabel *LMDLabel3;
    QPushButton *btnClear;
    TProgramBlock FBlock{};
};
