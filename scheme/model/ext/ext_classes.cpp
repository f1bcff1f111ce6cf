// Start-up of the extension module: registers the persisted object kinds it defines, so that
// documents holding them can be read. Runs in the shared library and, since programs link the
// static copy whole, there too.
#include "scheme/model/class_registry.h"
#include "scheme/model/ext/scheme_internal_picture.h"
#include "scheme/model/ext/scheme_polyline.h"

namespace scheme {
namespace {

struct TExtClasses {
    TExtClasses() {
        RegisterScheme<TSchemePolyline>();
        RegisterScheme<TSchemeInternalPicture>();
    }
};

const TExtClasses kRegisterExtClasses;

}  // namespace
}  // namespace scheme
