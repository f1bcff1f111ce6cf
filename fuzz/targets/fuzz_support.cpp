// What the fuzz bodies share: the target table and the failure check.
#include "fuzz/targets/fuzz_targets.h"

namespace scheme::fuzz {

std::span<const TFuzzTarget> FuzzTargets() {
    static constexpr TFuzzTarget kTargets[] = {
        {"document", &FuzzDocument},
        {"record", &FuzzRecord},
        {"picture", &FuzzPicture},
        {"convert", &FuzzConvert},
    };
    return kTargets;
}

void FuzzCheck(bool Condition, const QString& What) {
    if (!Condition) throw TFuzzFailure(What.toStdString());
}

}  // namespace scheme::fuzz
