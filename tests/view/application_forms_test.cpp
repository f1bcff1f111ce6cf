#include <gtest/gtest.h>

#include <QWidget>

#include "scheme/model/components.h"
#include "scheme/platform/image_list.h"

namespace scheme::testing {
namespace {

// Documents name image lists as "Form.Component": the forms are the top-level windows.
TEST(ApplicationForms, ComponentReferencesResolveOverTopLevelWindows) {
    QWidget Form;
    Form.setObjectName(QStringLiteral("FormMain"));
    auto* Images = new TImageList(16, 16, &Form);
    Images->setObjectName(QStringLiteral("ImageListImages"));
    EXPECT_EQ(_get_component_for_name(QStringLiteral("FormMain.ImageListImages")), Images);
    EXPECT_EQ(_get_name_for_component(Images), QStringLiteral("FormMain.ImageListImages"));
}

}  // namespace
}  // namespace scheme::testing
