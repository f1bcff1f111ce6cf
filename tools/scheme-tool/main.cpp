// scheme-tool: checks, normalises and renders diagram documents without a display.
//
//   scheme-tool check FILE [--strict]
//   scheme-tool save IN OUT [--lossy]
//   scheme-tool render IN OUT.png|OUT.svg|OUT.pdf [--zoom Z]
//                      [--background PICTURE [--grid DX,DY]]
//   scheme-tool bindings FILE
//
// bindings lists the objects whose state a broker feeds (layer, object, topic, field, map,
// acknowledgement topic), one a line separated by tabs, and the problems of the bindings on
// standard error; problems exit with status 1.
// What a load left out or reinterpreted goes to standard error as warnings, and so do the pictures
// that rendering could not decode within the document's picture budget. Load, save and
// render errors (an unreadable background picture among them), refused lossy saves and
// warnings under --strict exit with status 1; bad arguments print the usage with exit status 2.
// A background is painted by a view, a widget, so the tool runs a QApplication; it uses the
// offscreen platform unless QT_QPA_PLATFORM names another, so no display is ever needed.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QStringList>
#include <cmath>
#include <cstdio>
#include <optional>
#include <tuple>
#include <utility>

#include <unistd.h>

#include "document_summary.h"
#include "render.h"
#include "scheme/document/scheme_data.h"
#include "scheme/feed/state_binding.h"
#include "scheme/platform/convert.h"
#include "scheme/platform/exceptions.h"
#include "scheme/platform/picture_budget.h"

using namespace scheme;

namespace {

constexpr int kFailed = 1;
constexpr int kBadArguments = 2;

void Print(FILE* Stream, const QString& Text) {
    std::fputs(Text.toLocal8Bit().constData(), Stream);
}

int Usage() {
    Print(stderr, QStringLiteral("usage: scheme-tool check FILE [--strict]\n"
                                 "       scheme-tool save IN OUT [--lossy]\n"
                                 "       scheme-tool render IN OUT.png|OUT.svg|OUT.pdf [--zoom Z]\n"
                                 "                          [--background PICTURE [--grid DX,DY]]\n"
                                 "       scheme-tool bindings FILE\n"));
    return kBadArguments;
}

int Usage(const QString& Problem) {
    Print(stderr, QStringLiteral("scheme-tool: %1\n").arg(Problem));
    return Usage();
}

// Error messages mark their line suffix with a carriage return; a terminal wants a new line.
QString ForTerminal(QString Message) {
    return Message.replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

// Loads the file and prints its warnings; answers how many there were.
qsizetype Load(TSchemeData& Data, const QString& FileName) {
    Data.LoadFromFile(FileName);
    const QStringList& Warnings = Data.LoadWarnings();
    for (const QString& Warning : Warnings)
        Print(stderr, QStringLiteral("warning: %1\n").arg(ForTerminal(Warning)));
    return Warnings.size();
}

// The arguments after the command: the names, and the options this command takes. A flag
// option maps to an empty value.
struct TArguments {
    QStringList Names;
    QMap<QString, QString> Options;
};

// Answers the problem, or an empty text.
QString ParseArguments(const QStringList& Args, const QStringList& Flags, const QStringList& Valued,
                       TArguments& Out) {
    for (qsizetype I = 1; I < Args.size(); ++I) {
        const QString& Arg = Args[I];
        if (!Arg.startsWith(QLatin1String("--"))) {
            Out.Names.append(Arg);
        } else if (Flags.contains(Arg)) {
            Out.Options.insert(Arg, QString());
        } else if (Valued.contains(Arg)) {
            if (++I == Args.size()) return QStringLiteral("%1 needs a value").arg(Arg);
            Out.Options.insert(Arg, Args[I]);
        } else {
            return QStringLiteral("unknown option %1 for %2").arg(Arg, Args[0]);
        }
    }
    return QString();
}

std::optional<Extended> ParseZoom(const QString& Text) {
    Extended Zoom = 0;
    if (!TryStrToFloat(Text, Zoom) || !(Zoom > 0) || Zoom > kMaxZoom) return std::nullopt;
    return Zoom;
}

// Two positive numbers separated by a comma.
std::optional<std::pair<Extended, Extended>> ParseGrid(const QString& Text) {
    const QStringList Parts = Text.split(QLatin1Char(','));
    Extended D[2] = {0, 0};
    if (Parts.size() != 2) return std::nullopt;
    for (int I = 0; I < 2; ++I)
        if (!TryStrToFloat(Parts[I], D[I]) || !(D[I] > 0) || !std::isfinite(D[I]))
            return std::nullopt;
    return std::pair(D[0], D[1]);
}

int PrintBindings(TSchemeData& Data) {
    const TBindingList List = ReadBindings(Data);
    Print(stdout, QStringLiteral("layer\tobject\ttopic\tfield\tmap\tack\n"));
    for (const TStateBinding& B : List.Bindings)
        Print(stdout, QStringLiteral("%1\t%2\t%3\t%4\t%5\t%6\n")
                          .arg(B.LayerId)
                          .arg(B.ObjectId)
                          .arg(B.Topic, B.Field, B.MapText(), B.AckTopic));
    for (const QString& Problem : List.Problems)
        Print(stderr, QStringLiteral("scheme-tool: %1\n").arg(Problem));
    return List.Problems.isEmpty() ? 0 : kFailed;
}

int Run(const QStringList& Args) {
    if (Args.isEmpty()) return Usage();
    const QString& Command = Args[0];
    TArguments A;
    QString Problem;
    if (Command == QLatin1String("check"))
        Problem = ParseArguments(Args, {QStringLiteral("--strict")}, {}, A);
    else if (Command == QLatin1String("save"))
        Problem = ParseArguments(Args, {QStringLiteral("--lossy")}, {}, A);
    else if (Command == QLatin1String("bindings"))
        Problem = ParseArguments(Args, {}, {}, A);
    else if (Command == QLatin1String("render"))
        Problem = ParseArguments(
            Args, {},
            {QStringLiteral("--zoom"), QStringLiteral("--background"), QStringLiteral("--grid")},
            A);
    else
        return Usage();
    if (!Problem.isEmpty()) return Usage(Problem);
    // The blink timer never fires: the tool runs no event loop.
    TSchemeData Data;
    if (Command == QLatin1String("check") && A.Names.size() == 1) {
        const qsizetype Warnings = Load(Data, A.Names[0]);
        Print(stdout, DocumentSummary(Data));
        if (Warnings > 0 && A.Options.contains(QStringLiteral("--strict"))) {
            Print(stderr,
                  QStringLiteral("scheme-tool: %1 warning(s) under --strict\n").arg(Warnings));
            return kFailed;
        }
        return 0;
    }
    if (Command == QLatin1String("bindings") && A.Names.size() == 1) {
        Load(Data, A.Names[0]);
        return PrintBindings(Data);
    }
    if (Command == QLatin1String("save") && A.Names.size() == 2) {
        if (Load(Data, A.Names[0]) > 0 && !A.Options.contains(QStringLiteral("--lossy"))) {
            Print(stderr, QStringLiteral("scheme-tool: not saving \"%1\": the load left out or "
                                         "reinterpreted what the warnings name; --lossy saves "
                                         "anyway\n")
                              .arg(A.Names[1]));
            return kFailed;
        }
        Data.SaveToFile(A.Names[1]);
        return 0;
    }
    if (Command == QLatin1String("render") && A.Names.size() == 2) {
        Extended Zoom = 1;
        if (A.Options.contains(QStringLiteral("--zoom"))) {
            const QString Text = A.Options.value(QStringLiteral("--zoom"));
            const std::optional<Extended> Parsed = ParseZoom(Text);
            if (!Parsed)
                return Usage(QStringLiteral("--zoom takes a number above 0 and at most %1, not "
                                            "\"%2\"")
                                 .arg(static_cast<double>(kMaxZoom))
                                 .arg(Text));
            Zoom = *Parsed;
        }
        std::optional<TBackground> Background;
        if (A.Options.contains(QStringLiteral("--background")))
            Background = TBackground{A.Options.value(QStringLiteral("--background"))};
        if (A.Options.contains(QStringLiteral("--grid"))) {
            const QString Text = A.Options.value(QStringLiteral("--grid"));
            const auto Grid = ParseGrid(Text);
            if (!Grid)
                return Usage(QStringLiteral("--grid takes two numbers above 0 separated by a "
                                            "comma, such as 10,10, not \"%1\"")
                                 .arg(Text));
            // The grid covers the picture's area: without a picture it would draw nothing.
            if (!Background) return Usage(QStringLiteral("--grid needs --background"));
            std::tie(Background->GridDeltaX, Background->GridDeltaY) = *Grid;
        }
        Load(Data, A.Names[0]);
        RenderDocument(Data, A.Names[1], Zoom, Background);
        // Pictures are decoded as they are drawn: what the budgets refused is named here, the
        // document's and the one of a background picture, which is in no document.
        QStringList Reports = Data.PictureBudget()->TakeReports();
        Reports += TPictureBudget::Process()->TakeReports();
        for (const QString& Report : Reports)
            Print(stderr, QStringLiteral("warning: %1\n").arg(ForTerminal(Report)));
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
    QApplication App(argc, argv);
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
