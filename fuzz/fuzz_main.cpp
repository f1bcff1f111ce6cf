// libFuzzer entry point of one target; SCHEME_FUZZ_BODY names its body.
#include <QGuiApplication>
#include <cstdio>

#include "fuzz/targets/fuzz_targets.h"

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    // Fonts and painting need an application; the offscreen platform needs no display. The
    // application gets its own arguments, so that Qt never consumes libFuzzer's.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int Argc = 1;
    static char Name[] = "scheme-fuzz";
    static char* Argv[] = {Name, nullptr};
    static QGuiApplication* App = new QGuiApplication(Argc, Argv);
    (void)App;
    // Damaged images make the decoders warn at every input; the warnings only slow the run.
    qInstallMessageHandler([](QtMsgType Type, const QMessageLogContext&, const QString& Message) {
        // Qt aborts after a fatal message, which the fuzzer then reports.
        if (Type == QtFatalMsg) std::fprintf(stderr, "%s\n", qPrintable(Message));
    });
    return 0;
}

// The font configuration library keeps its caches until the process ends; they are not ours.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    scheme::fuzz::SCHEME_FUZZ_BODY(Data, Size);
    return 0;
}
