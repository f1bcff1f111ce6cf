// scheme-tool: checks, normalises and renders diagram documents without a display.
//
//   scheme-tool check FILE
//   scheme-tool save IN OUT
//   scheme-tool render IN OUT.png|OUT.svg [--zoom Z]
//
// Load and save errors go to standard error with exit status 1; bad arguments print the usage
// with exit status 2.
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QStringList>
#include <cstdio>
#include <optional>

#include <unistd.h>

#include "document_summary.h"
#include "render.h"
#include "scheme/document/scheme_data.h"
#include "scheme/platform/convert.h"
#include "scheme/platform/exceptions.h"

using namespace scheme;

namespace {

constexpr int kFailed = 1;
constexpr int kBadArguments = 2;

void Print(FILE* Stream, const QString& Text) {
    std::fputs(Text.toLocal8Bit().constData(), Stream);
}

int Usage() {
    Print(stderr, QStringLiteral("usage: scheme-tool check FILE\n"
                                 "       scheme-tool save IN OUT\n"
                                 "       scheme-tool render IN OUT.png|OUT.svg [--zoom Z]\n"));
    return kBadArguments;
}

// Error messages mark their line suffix with a carriage return; a terminal wants a new line.
QString ForTerminal(QString Message) {
    return Message.replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

void Load(TSchemeData& Data, const QString& FileName) {
    Data.LoadFromFile(FileName);
    for (const QString& Name : Data.SkippedClassNames())
        Print(stderr, QStringLiteral("warning: skipped a block of unknown class %1\n").arg(Name));
}

std::optional<Extended> ZoomArgument(const QStringList& Args) {
    if (Args.size() == 3) return 1.0L;
    Extended Zoom = 0;
    if (Args.size() != 5 || Args[3] != QLatin1String("--zoom") || !TryStrToFloat(Args[4], Zoom) ||
        !(Zoom > 0) || Zoom > 1000)
        return std::nullopt;
    return Zoom;
}

int Run(const QStringList& Args) {
    if (Args.isEmpty()) return Usage();
    const QString& Command = Args[0];
    // The blink timer never fires: the tool runs no event loop.
    TSchemeData Data;
    if (Command == QLatin1String("check") && Args.size() == 2) {
        Load(Data, Args[1]);
        Print(stdout, DocumentSummary(Data));
        return 0;
    }
    if (Command == QLatin1String("save") && Args.size() == 3) {
        Load(Data, Args[1]);
        Data.SaveToFile(Args[2]);
        return 0;
    }
    if (Command == QLatin1String("render") && Args.size() >= 3) {
        const std::optional<Extended> Zoom = ZoomArgument(Args);
        if (!Zoom) return Usage();
        Load(Data, Args[1]);
        RenderDocument(Data, Args[2], *Zoom);
        return 0;
    }
    return Usage();
}

// Without a runtime folder Qt warns on standard error, where only the tool's own messages
// belong.
void EnsureRuntimeDir() {
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) return;
    const QString Dir = QDir::tempPath() + QStringLiteral("/scheme-tool-runtime-%1").arg(getuid());
    QDir().mkpath(Dir);
    QFile::setPermissions(Dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(Dir));
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    EnsureRuntimeDir();
    QGuiApplication App(argc, argv);
    QStringList Args = App.arguments();
    Args.removeFirst();
    try {
        return Run(Args);
    } catch (const Exception& E) {
        Print(stderr, ForTerminal(E.Message()) + QLatin1Char('\n'));
    } catch (const std::exception& E) {
        Print(stderr, QString::fromLocal8Bit(E.what()) + QLatin1Char('\n'));
    }
    return kFailed;
}
