#pragma once
// The wizard's "Recipients" dialog: the addresses an alarm's e-mail goes to.
// It edits a copy of the record's e-mail block; subject and body are kept in
// hidden fields so that they pass through as stored.

#include "model/TaskData.h"

#include "ui/DetailDialog.h"

#include <QFont>
#include <functional>

class QLineEdit;
class QPlainTextEdit;

class TSendemailForm : public TDetailDialog {
    Q_OBJECT
public:
    // font: the preferences font, for subject and body.
    TSendemailForm(TvornIniFile *ini, const QFont &font, QWidget *parent = nullptr);
    ~TSendemailForm() override;

    // Opens the dialog on a copy of block, modal to owner; finished receives
    // whether the user pressed OK, and the block as the dialog left it (a
    // callback: one answer, on which the wizard's next step depends).
    static void Edit(IMessageBoxes *boxes, const TEmailBlock &block, TvornIniFile *ini, const QFont &font,
                     QWidget *owner, std::function<void(bool accepted, const TEmailBlock &block)> finished);
    // At least one of the three recipient lines is not blank.
    static bool Test(const TEmailBlock &block);

    void SetBlock(const TEmailBlock &block);
    const TEmailBlock &Block() const { return FBlock; }

    static constexpr int BodyMaxLength = 250;

private slots:
    void btnOKClick();
    void memEmailBodyChange();

private:
    QLineEdit *edtTo;
    QLineEdit *edtCc;
    QLineEdit *edtBcc; // labelled "Cc:" like the line above it
    QLineEdit *edtSubject; // hidden
    QPlainTextEdit *memEmailBody; // hidden
    TEmailBlock FBlock{};
    int FBodyMaxLength = 0; // 0: no limit until the dialog is filled
};
