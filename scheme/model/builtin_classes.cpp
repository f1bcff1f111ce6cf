// Start-up of the object model: registers the persisted classes it defines.
#include "scheme/model/class_registry.h"
#include "scheme/model/scheme_box.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/model/scheme_line.h"
#include "scheme/model/scheme_link.h"
#include "scheme/model/scheme_picture.h"
#include "scheme/model/scheme_polygon.h"
#include "scheme/model/scheme_text.h"

namespace scheme {
namespace {

struct TBuiltinClasses {
    TBuiltinClasses() {
        RegisterScheme<TSchemeLayer>();
        RegisterScheme<TSchemeBox>();
        RegisterScheme<TSchemeShape>();
        RegisterScheme<TSchemePolygon>();
        RegisterScheme<TSchemeLine>();
        RegisterScheme<TSchemeText>();
        RegisterScheme<TSchemePicture>();
        RegisterScheme<TSchemeLink>();
    }
};

const TBuiltinClasses kRegisterBuiltinClasses;

}  // namespace
}  // namespace scheme
