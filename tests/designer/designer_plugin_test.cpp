// The Designer plugin as Designer and form loaders use it: loaded as a plugin, asked for its
// widgets, and through Qt's form loader, which builds forms with the plugin's widgets.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QMetaProperty>
#include <QPluginLoader>
#include <QUiLoader>
#include <QWidget>
#include <QXmlStreamReader>
#include <QtUiPlugin/QDesignerCustomWidgetCollectionInterface>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>
#include <memory>

namespace {

const QStringList kWidgets{
    "scheme::TSchemeVisual", "scheme::TSchemeVisualEditor", "scheme::TSchemeVisualEditorCursor",
    "scheme::TIntEdit",      "scheme::TFloatEdit",          "scheme::TFillStyleComboBox"};

QDesignerCustomWidgetCollectionInterface* Collection() {
    static QPluginLoader Loader(QStringLiteral(SCHEME_DESIGNER_PLUGIN));
    return qobject_cast<QDesignerCustomWidgetCollectionInterface*>(Loader.instance());
}

// The class that domXml places, or an empty text when it is no form of one widget.
QString DomClass(const QString& Xml) {
    QXmlStreamReader Reader(Xml);
    while (Reader.readNextStartElement()) {
        if (Reader.name() == QLatin1String("widget"))
            return Reader.attributes().value("class").toString();
        if (Reader.name() != QLatin1String("ui")) Reader.skipCurrentElement();
    }
    return {};
}

// The share of Image's pixels that are Colour.
double Share(const QImage& Image, QRgb Colour) {
    int N = 0;
    for (int Y = 0; Y < Image.height(); ++Y)
        for (int X = 0; X < Image.width(); ++X) N += Image.pixel(X, Y) == Colour;
    return double(N) / (Image.width() * Image.height());
}

TEST(DesignerPlugin, OffersEveryWidgetOnTheSchemePaletteGroup) {
    QDesignerCustomWidgetCollectionInterface* Plugin = Collection();
    ASSERT_NE(Plugin, nullptr) << SCHEME_DESIGNER_PLUGIN;
    QStringList Names;
    for (QDesignerCustomWidgetInterface* W : Plugin->customWidgets()) {
        Names << W->name();
        SCOPED_TRACE(W->name().toStdString());
        EXPECT_EQ(W->group(), "Scheme");
        EXPECT_FALSE(W->toolTip().isEmpty());
        EXPECT_FALSE(W->whatsThis().isEmpty());
        EXPECT_FALSE(W->isContainer());
        const QList<QSize> Sizes = W->icon().availableSizes();
        EXPECT_TRUE(Sizes.contains(QSize(22, 22)) && Sizes.contains(QSize(16, 16)));
        EXPECT_TRUE(QFileInfo::exists(QDir(SCHEME_SOURCE_DIR).filePath(W->includeFile())));
        EXPECT_EQ(DomClass(W->domXml()), W->name());
        // Colour texts are single-line and not for translation.
        const bool HasColours = W->name().contains("Visual") || W->name().contains("Combo");
        EXPECT_EQ(W->domXml().contains("notr=\"true\" type=\"singleline\""), HasColours);

        std::unique_ptr<QWidget> Widget(W->createWidget(nullptr));
        ASSERT_NE(Widget, nullptr);
        const QMetaObject* Meta = Widget->metaObject();
        EXPECT_EQ(QString::fromUtf8(Meta->className()), W->name());
        for (int I = Meta->superClass()->propertyOffset(); I < Meta->propertyCount(); ++I) {
            const QMetaProperty P = Meta->property(I);
            if (!QByteArray(P.enclosingMetaObject()->className()).startsWith("scheme::")) continue;
            SCOPED_TRACE(P.name());
            EXPECT_TRUE(P.isReadable() && P.isWritable());
            EXPECT_TRUE(P.write(Widget.get(), P.read(Widget.get())));
        }
    }
    EXPECT_EQ(Names, kWidgets);
}

// A view placed on a form shows a grid and a sample shape while it has no document.
TEST(DesignerPlugin, AViewOnAFormShowsAPlaceholderDrawing) {
    QDesignerCustomWidgetInterface* Editor = Collection()->customWidgets().at(1);
    std::unique_ptr<QWidget> View(Editor->createWidget(nullptr));
    View->resize(320, 240);
    const QImage Shot = View->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRgb SkyBlue = qRgb(0xA6, 0xCA, 0xF0);
    EXPECT_GT(Share(Shot, SkyBlue), 0.05);
    EXPECT_GT(Share(Shot, qRgb(0xC0, 0xC0, 0xC0)), 0.005);
}

const char kForm[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<ui version="4.0">
 <class>Form</class>
 <widget class="QWidget" name="Form">
  <layout class="QVBoxLayout" name="Layout">
   <item>
    <widget class="scheme::TSchemeVisualEditor" name="View">
     <property name="Color" stdset="0"><string>clYellow</string></property>
     <property name="Zoom" stdset="0"><double>0.500000000000000</double></property>
     <property name="GridEnabled" stdset="0"><bool>true</bool></property>
     <property name="GridDeltaX" stdset="0"><double>50.000000000000000</double></property>
     <property name="GridPenStyle" stdset="0"><enum>scheme::psDot</enum></property>
     <property name="DragCursor" stdset="0"><enum>scheme::crHandPoint</enum></property>
     <property name="EditEnabled" stdset="0"><bool>false</bool></property>
     <property name="HintWidth" stdset="0"><number>240</number></property>
    </widget>
   </item>
   <item>
    <widget class="scheme::TFloatEdit" name="Edit">
     <property name="MinValue" stdset="0"><double>1.000000000000000</double></property>
     <property name="MaxValue" stdset="0"><double>9.000000000000000</double></property>
     <property name="IncludeBounds" stdset="0"><bool>false</bool></property>
    </widget>
   </item>
   <item>
    <widget class="scheme::TFillStyleComboBox" name="Combo">
     <property name="FillStyle" stdset="0"><enum>scheme::bsCross</enum></property>
     <property name="ColorPen" stdset="0"><string>clRed</string></property>
    </widget>
   </item>
  </layout>
 </widget>
</ui>
)";

TEST(DesignerPlugin, AFormLoaderBuildsAFormWithNonDefaultProperties) {
    QUiLoader Loader;
    Loader.clearPluginPaths();
    Loader.addPluginPath(QFileInfo(SCHEME_DESIGNER_PLUGIN).absolutePath());
    ASSERT_TRUE(Loader.availableWidgets().contains("scheme::TSchemeVisualEditor"));
    QByteArray Text(kForm);
    QBuffer Buffer(&Text);
    std::unique_ptr<QWidget> Form(Loader.load(&Buffer));
    ASSERT_NE(Form, nullptr) << Loader.errorString().toStdString();

    const QObject* View = Form->findChild<QObject*>("View");
    ASSERT_NE(View, nullptr);
    EXPECT_EQ(QString::fromUtf8(View->metaObject()->className()), "scheme::TSchemeVisualEditor");
    EXPECT_EQ(View->property("Color").toString(), "clYellow");
    EXPECT_EQ(View->property("Zoom").toDouble(), 0.5);
    EXPECT_TRUE(View->property("GridEnabled").toBool());
    EXPECT_EQ(View->property("GridDeltaX").toDouble(), 50);
    EXPECT_EQ(View->property("GridPenStyle").toInt(), 2);
    EXPECT_EQ(View->property("DragCursor").toInt(), -21);
    EXPECT_FALSE(View->property("EditEnabled").toBool());
    EXPECT_EQ(View->property("HintWidth").toInt(), 240);

    const QObject* Edit = Form->findChild<QObject*>("Edit");
    ASSERT_NE(Edit, nullptr);
    EXPECT_EQ(Edit->property("MinValue").toDouble(), 1);
    EXPECT_EQ(Edit->property("MaxValue").toDouble(), 9);
    EXPECT_FALSE(Edit->property("IncludeBounds").toBool());
    const QObject* Combo = Form->findChild<QObject*>("Combo");
    ASSERT_NE(Combo, nullptr);
    EXPECT_EQ(Combo->property("FillStyle").toInt(), 6);
    EXPECT_EQ(Combo->property("ColorPen").toString(), "clRed");
}

}  // namespace
