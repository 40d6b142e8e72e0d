#include "ui/DetailDialog.h"

#include "extras/FormPlacement.h"
#include "platform/MessageBoxes.h"

#include <QHBoxLayout>
#include <QPushButton>

TDetailDialog::TDetailDialog(TvornIniFile *ini, const QString &section, const QString &objectName, const QString &title,
                             QWidget *parent)
    : QDialog(parent, Qt::Tool | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , FPlacement(std::make_unique<TFormPlacement>(ini, section))
{
    setObjectName(objectName);
    setWindowTitle(title);
}

TDetailDialog::~TDetailDialog() = default;

QHBoxLayout *TDetailDialog::MakeButtonRow(std::initializer_list<QPushButton *> between)
{
    // Made after the fields, so that the first field has the keyboard when the dialog opens.
    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnOK->setDefault(true);
    btnCancel->setAutoDefault(false);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    auto *row = new QHBoxLayout;
    row->addStretch();
    QWidget *previous = btnOK;
    row->addWidget(btnOK);
    for (QPushButton *button : between) {
        button->setAutoDefault(false);
        row->addWidget(button);
        setTabOrder(previous, button);
        previous = button;
    }
    row->addWidget(btnCancel);
    setTabOrder(previous, btnCancel);
    return row;
}

void TDetailDialog::RestorePlacement()
{
    FPlacement->Restore(*this);
}

void TDetailDialog::done(int result)
{
    // A dialog answered without being shown has no place worth keeping.
    if (isVisible())
        FPlacement->Save(*this);
    QDialog::done(result);
}

void TDetailDialog::Run(IMessageBoxes *boxes, TDetailDialog *dialog, std::function<void(bool accepted)> finished)
{
    if (!boxes) {
        delete dialog;
        if (finished)
            finished(false);
        return;
    }
    boxes->OpenDialog(dialog, [finished = std::move(finished)](int result) {
        if (finished)
            finished(result == QDialog::Accepted);
    });
}
