#include "ui/SendemailFrm.h"

#include "core/TextLimit.h"
#include "platform/TextInputLimit.h"
#include "extras/FormPlacement.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QVBoxLayout>

namespace {

constexpr int kLineMaxLength = 100;

} // namespace

TSendemailForm::TSendemailForm(TvornIniFile *ini, const QFont &font, QWidget *parent)
    : TDetailDialog(ini, QStringLiteral("MailMessage"), QStringLiteral("SendemailForm"), QStringLiteral("Recipients"),
                    parent)
    , edtTo(new QLineEdit(this))
    , edtCc(new QLineEdit(this))
    , edtBcc(new QLineEdit(this))
    , edtSubject(new QLineEdit(this))
    , memEmailBody(new QPlainTextEdit(this))
{
    edtTo->setObjectName(QStringLiteral("edtTo"));
    edtCc->setObjectName(QStringLiteral("edtCc"));
    edtBcc->setObjectName(QStringLiteral("edtBcc"));
    edtSubject->setObjectName(QStringLiteral("edtSubject"));
    memEmailBody->setObjectName(QStringLiteral("memEmailBody"));

    auto *note = new QLabel(QStringLiteral("Note: Fill-in the \"To:\" or/and the \"Cc:\" fields in order to compose a "
                                           "valid e-mail message. Use the semicolon (\";\") character to separate "
                                           "recipients."),
                            this);
    note->setWordWrap(true);

    for (QLineEdit *line : {edtTo, edtCc, edtBcc}) {
        line->setMaxLength(kLineMaxLength);
        LimitTypedBytes(line, kLineMaxLength);
        line->setToolTip(QStringLiteral("use a comma (\",\") to separate recipients"));
    }
    edtSubject->setMaxLength(kLineMaxLength);
    LimitTypedBytes(edtSubject, kLineMaxLength);
    edtSubject->setFont(font);
    memEmailBody->setFont(font);
    memEmailBody->setToolTip(QStringLiteral("e-mail body can contain 250 characters of plain text"));
    // Neither is used by the e-mail action; they only carry the stored texts.
    edtSubject->setVisible(false);
    memEmailBody->setVisible(false);

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("To:"), edtTo);
    form->addRow(QStringLiteral("Cc:"), edtCc);
    form->addRow(QStringLiteral("Cc:"), edtBcc);
    form->addRow(QStringLiteral("Subject:"), edtSubject);
    form->setRowVisible(edtSubject, false);
    edtTo->setMinimumWidth(300);
    auto *main = new QVBoxLayout(this);
    main->addWidget(note);
    main->addLayout(form);
    main->addWidget(memEmailBody);
    main->addLayout(MakeButtonRow());

    setTabOrder(edtTo, edtCc);
    setTabOrder(edtCc, edtBcc);
    setTabOrder(edtBcc, btnOK);

    connect(btnOK, &QPushButton::clicked, this, &TSendemailForm::btnOKClick);
    connect(memEmailBody, &QPlainTextEdit::textChanged, this, &TSendemailForm::memEmailBodyChange);

    RestorePlacement();
}

TSendemailForm::~TSendemailForm() = default;

void TSendemailForm::Edit(IMessageBoxes *boxes, const TEmailBlock &block, TvornIniFile *ini, const QFont &font,
                          QWidget *owner, std::function<void(bool accepted, const TEmailBlock &block)> finished)
{
    auto *form = new TSendemailForm(ini, font, owner);
    form->SetBlock(block);
    const TEmailBlock unchanged = block;
    Run(boxes, form, [form, unchanged, finished = std::move(finished)](bool accepted) {
        if (finished)
            finished(accepted, accepted ? form->Block() : unchanged);
    });
}

bool TSendemailForm::Test(const TEmailBlock &block)
{
    return !block.EmailTo.Get().trimmed().isEmpty() || !block.EmailCc.Get().trimmed().isEmpty()
           || !block.EmailBcc.Get().trimmed().isEmpty();
}

void TSendemailForm::SetBlock(const TEmailBlock &block)
{
    FBlock = block;
    FBodyMaxLength = BodyMaxLength;
    edtTo->setText(block.EmailTo.Get());
    edtCc->setText(block.EmailCc.Get());
    edtBcc->setText(block.EmailBcc.Get());
    edtSubject->setText(block.EmailSubject.Get());
    memEmailBody->setPlainText(block.EmailBody.Get());
}

void TSendemailForm::btnOKClick()
{
    FBlock.EmailTo.Set(edtTo->text().trimmed());
    FBlock.EmailCc.Set(edtCc->text().trimmed());
    FBlock.EmailBcc.Set(edtBcc->text().trimmed());
    FBlock.EmailSubject.Set(edtSubject->text().trimmed());
    FBlock.EmailBody.Set(memEmailBody->toPlainText().trimmed());
    accept();
}

void TSendemailForm::memEmailBodyChange()
{
    // A plain-text box has no length limit of its own.
    const QString text = memEmailBody->toPlainText();
    if (FBodyMaxLength <= 0 || Utf8Size(text) <= FBodyMaxLength)
        return;
    const QSignalBlocker block(memEmailBody);
    memEmailBody->setPlainText(CutToUtf8(text, FBodyMaxLength));
    memEmailBody->moveCursor(QTextCursor::End);
}
