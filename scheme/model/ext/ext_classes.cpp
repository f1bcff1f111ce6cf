// Start-up of the extension kinds: registers the persisted classes they define.
#include "scheme/model/class_registry.h"
#include "scheme/model/ext/scheme_internal_picture.h"

namespace scheme {
namespace {

struct TExtClasses {
    TExtClasses() { RegisterScheme<TSchemeInternalPicture>(); }
};

const TExtClasses kRegisterExtClasses;

}  // namespace
}  // namespace scheme
