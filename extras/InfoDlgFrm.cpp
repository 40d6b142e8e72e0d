#include "extras/InfoDlgFrm.h"

#include "core/LineBreaks.h"
#include "platform/FormShaper.h"
#include "platform/ResourceLibrary.h"

#include <QGraphicsDropShadowEffect>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

TInfoDlgForm::TInfoDlgForm(TActionContext &context, QWidget *owner)
    : TActionForm(context, owner)
    , lblText(new QLabel(this))
    , btnOK(new QPushButton(tr("OK"), this))
{
    setObjectName(QStringLiteral("InfoDlgForm"));
    setFixedSize(kWidth, kHeight);
    if (context.Library) {
        const QImage picture = context.Library->Picture(QStringLiteral("INFO"), devicePixelRatioF());
        if (!picture.isNull())
            (new TFormShaper(this))->SetPicture(picture);
    }
    // The frame's schedule line belongs to reminders; a notice serves none.
    labSchedule->hide();

    QFont titleFont(QStringLiteral("Tahoma"));
    titleFont.setPixelSize(12);
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);
    lblTitle->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    auto *shadow = new QGraphicsDropShadowEffect(lblTitle);
    shadow->setOffset(1, 1);
    shadow->setBlurRadius(0);
    shadow->setColor(QColor(0, 0, 0, 160));
    lblTitle->setGraphicsEffect(shadow);
    lblTitle->setGeometry(12, 6, kWidth - 24, 18);

    lblText->setObjectName(QStringLiteral("lblText"));
    lblText->setWordWrap(true);
    lblText->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblText->setAttribute(Qt::WA_TranslucentBackground);
    lblText->setGeometry(15, 36, 337, 95);

    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setGeometry((kWidth - 73) / 2, 140, 73, 25);
    btnOK->setDefault(true);
    connect(btnOK, &QPushButton::clicked, this, &TInfoDlgForm::btnOKClick);

    if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(kWidth / 2, kHeight / 2));
}

void TInfoDlgForm::btnOKClick()
{
    MayClose = true;
    close();
}

void TInfoDlgForm::Open(const QString &title, const QString &text)
{
    lblTitle->setText(title);
    lblText->setText(ToLineFeeds(text));
    setWindowTitle(title);
    show();
    raise();
    btnOK->setFocus();
}

TInfoDlgForm *ShowInfoDialog(TActionContext &context, const QString &title, const QString &text)
{
    auto *dialog = new TInfoDlgForm(context);
    dialog->Open(title, text);
    return dialog;
}
