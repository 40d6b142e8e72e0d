#include "tests/support/TestSupport.h"

#include <QFile>

namespace TestSupport {

TMsgResult DefaultMessageBoxAnswer(const QString &, TMsgIcon, TMsgButtons buttons, const QString &)
{
    return CautiousAnswer(buttons);
}

MessageBoxRecorder::MessageBoxRecorder(TMsgResult answer)
    : Answer(answer)
{
    SetMessageBoxHandler([this](const QString &text, TMsgIcon, TMsgButtons, const QString &title) {
        Texts << text;
        Titles << title;
        return Decide ? Decide(text) : Answer;
    });
}

MessageBoxRecorder::~MessageBoxRecorder()
{
    SetMessageBoxHandler(DefaultMessageBoxAnswer);
}

QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool WriteAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

} // namespace TestSupport
