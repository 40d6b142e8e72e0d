#include "ui/RunProgramFrm.h"

#include "core/TextLimit.h"
#include "platform/MessageBoxes.h"
#include "platform/TextInputLimit.h"
#include "extras/FormPlacement.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString kProgramsFilter = QStringLiteral("Programs (*)");
const QString kAllFilesFilter = QStringLiteral("All files (*)");

// Programs on Linux have no name pattern: under "Programs" the browse dialog
// shows the folders and the files that may be run.
class TExecutableFilter : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;
    void SetProgramsOnly(bool only)
    {
        FProgramsOnly = only;
        invalidateFilter();
    }

protected:
    bool filterAcceptsRow(int row, const QModelIndex &parent) const override
    {
        const auto *files = qobject_cast<const QFileSystemModel *>(sourceModel());
        if (!FProgramsOnly || !files)
            return true;
        const QModelIndex index = files->index(row, 0, parent);
        if (files->isDir(index))
            return true;
        const QFileInfo info = files->fileInfo(index);
        return info.isFile() && info.isExecutable();
    }

private:
    bool FProgramsOnly = true;
};

} // namespace

TRunProgramForm::TRunProgramForm(IMessageBoxes *boxes, TvornIniFile *ini, const QString &productName, QWidget *parent)
    : TDetailDialog(ini, QStringLiteral("RunProgram"), QStringLiteral("RunProgramForm"), QStringLiteral("Run"), parent)
    , FBoxes(boxes)
    , fedProgramPathname(new QLineEdit(this))
    , btnBrowse(new QToolButton(this))
    , edtProgramParameters(new QLineEdit(this))
    , LMDLabel3(new QLabel(this))
    , btnClear(new QPushButton(QStringLiteral("Clear"), this))
{
    fedProgramPathname->setObjectName(QStringLiteral("fedProgramPathname"));
    btnBrowse->setObjectName(QStringLiteral("btnBrowse"));
    edtProgramParameters->setObjectName(QStringLiteral("edtProgramParameters"));
    LMDLabel3->setObjectName(QStringLiteral("LMDLabel3"));
    btnClear->setObjectName(QStringLiteral("btnClear"));

    btnBrowse->setText(QStringLiteral("..."));
    btnBrowse->setToolTip(QStringLiteral("Click to open the browse dialog"));
    edtProgramParameters->setMaxLength(ParametersMaxLength);
    // At most so many characters, and never more bytes than the record holds.
    LimitTypedBytes(edtProgramParameters, int(TProgramBlock{}.ProgramParameters.Capacity));
    fedProgramPathname->setMaxLength(int(TProgramBlock{}.ProgramPathname.Capacity));
    LimitTypedBytes(fedProgramPathname, int(TProgramBlock{}.ProgramPathname.Capacity));
    LMDLabel3->setText(QStringLiteral("Type the name of a program, folder, document, \n"
                                      "or Internet resource and %1 will open it for you")
                           .arg(productName));

    auto *path = new QHBoxLayout;
    path->setSpacing(0);
    path->addWidget(fedProgramPathname);
    path->addWidget(btnBrowse);
    auto *grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Program name:"), this), 0, 0);
    grid->addLayout(path, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Parameters:"), this), 1, 0);
    grid->addWidget(edtProgramParameters, 1, 1);
    grid->setColumnMinimumWidth(1, 300);
    auto *main = new QVBoxLayout(this);
    main->addLayout(grid);
    main->addWidget(LMDLabel3);
    main->addLayout(MakeButtonRow({btnClear}));

    setTabOrder(fedProgramPathname, btnBrowse);
    setTabOrder(btnBrowse, edtProgramParameters);
    setTabOrder(edtProgramParameters, btnOK);

    connect(fedProgramPathname, &QLineEdit::textChanged, this, &TRunProgramForm::fedProgramPathnameChange);
    connect(btnBrowse, &QToolButton::clicked, this, &TRunProgramForm::fedProgramPathnameBrowse);
    connect(btnOK, &QPushButton::clicked, this, &TRunProgramForm::btnOKClick);
    connect(btnClear, &QPushButton::clicked, this, &TRunProgramForm::btnClearClick);

    RestorePlacement();
}

TRunProgramForm::~TRunProgramForm() = default;

void TRunProgramForm::Edit(IMessageBoxes *boxes, const TProgramBlock &block, TvornIniFile *ini,
                           const QString &productName, QWidget *owner,
                           std::function<void(bool accepted, const TProgramBlock &block)> finished)
{
    auto *form = new TRunProgramForm(boxes, ini, productName, owner);
    form->SetBlock(block);
    const TProgramBlock unchanged = block;
    Run(boxes, form, [form, unchanged, finished = std::move(finished)](bool accepted) {
        if (finished)
            finished(accepted, accepted ? form->Block() : unchanged);
    });
}

bool TRunProgramForm::Test(const TProgramBlock &block)
{
    return !block.ProgramPathname.Get().trimmed().isEmpty();
}

void TRunProgramForm::SetBlock(const TProgramBlock &block)
{
    FBlock = block;
    fedProgramPathname->setText(block.ProgramPathname.Get());
    // Stored parameters may be longer than can be typed; showing them must
    // not cut them.
    const QString parameters = block.ProgramParameters.Get();
    edtProgramParameters->setMaxLength(qMax(int(ParametersMaxLength), int(parameters.size())));
    edtProgramParameters->setText(parameters);
}

void TRunProgramForm::fedProgramPathnameChange()
{
    // A path pasted in quotes loses them: the quotes are no part of the name.
    const QString text = fedProgramPathname->text();
    if (!text.contains(QLatin1Char('"')))
        return;
    const int cursor = fedProgramPathname->cursorPosition();
    const int before = int(text.left(cursor).count(QLatin1Char('"')));
    QString cleaned = text;
    cleaned.remove(QLatin1Char('"'));
    fedProgramPathname->setText(cleaned);
    fedProgramPathname->setCursorPosition(cursor - before);
}

void TRunProgramForm::fedProgramPathnameBrowse()
{
    auto *dialog = new QFileDialog(this, QString(), fedProgramPathname->text());
    dialog->setObjectName(QStringLiteral("ProgramBrowseDialog"));
    // The executable bit is seen only through a filter model, which only
    // the toolkit's own dialog takes.
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    auto *filter = new TExecutableFilter(dialog);
    dialog->setProxyModel(filter);
    dialog->setNameFilters({kProgramsFilter, kAllFilesFilter});
    dialog->selectNameFilter(kProgramsFilter);
    connect(dialog, &QFileDialog::filterSelected, filter,
            [filter](const QString &name) { filter->SetProgramsOnly(name == kProgramsFilter); });
    dialog->setFileMode(QFileDialog::ExistingFile);
    if (!FBoxes) {
        delete dialog;
        return;
    }
    FBoxes->OpenDialog(dialog, [this, dialog](int result) {
        if (result == QDialog::Accepted && !dialog->selectedFiles().isEmpty())
            fedProgramPathname->setText(dialog->selectedFiles().constFirst());
    });
}

void TRunProgramForm::btnOKClick()
{
    FBlock.ProgramPathname.Set(fedProgramPathname->text().trimmed());
    FBlock.ProgramParameters.Set(edtProgramParameters->text().trimmed());
    accept();
}

void TRunProgramForm::btnClearClick()
{
    fedProgramPathname->clear();
    edtProgramParameters->clear();
}
