#include "designer/scheme_designer_plugin.h"

#include <QMetaProperty>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>
#include <utility>

#include "scheme/view/error_message_box.h"

namespace scheme::designer {

namespace {

constexpr int kIconSizes[] = {22, 16};

// Each icon is drawn for its own size, so the small one stays crisp instead of shrunk.
QIcon LoadIcon(const QString& Name) {
    QIcon Icon;
    for (const int Size : kIconSizes) {
        QSvgRenderer Renderer(QStringLiteral(":/scheme/designer/%1-%2.svg").arg(Name).arg(Size));
        if (!Renderer.isValid()) continue;
        QPixmap Pixmap(Size, Size);
        Pixmap.fill(Qt::transparent);
        QPainter Painter(&Pixmap);
        Renderer.render(&Painter);
        Painter.end();
        Icon.addPixmap(Pixmap);
    }
    return Icon;
}

QString XmlEscaped(const char* Text) {
    return QString::fromUtf8(Text).toHtmlEscaped();
}

bool IsLibraryClass(const QMetaObject* Meta) {
    return QByteArray(Meta->className()).startsWith("scheme::");
}

// The first Qt class among Meta's bases: the one a form that promotes extends.
const char* QtBaseClass(const QMetaObject* Meta) {
    while (IsLibraryClass(Meta)) Meta = Meta->superClass();
    return Meta->className();
}

// Designer's editor for each colour property (the library's text properties): one line of
// text, not marked for translation.
QString PropertySpecifications(const QMetaObject* Meta) {
    QString Specs;
    for (int I = 0; I < Meta->propertyCount(); ++I) {
        const QMetaProperty P = Meta->property(I);
        if (!IsLibraryClass(P.enclosingMetaObject()) ||
            P.metaType() != QMetaType::fromType<QString>())
            continue;
        Specs += QStringLiteral(
                     "    <stringpropertyspecification name=\"%1\" notr=\"true\" "
                     "type=\"singleline\"/>\n")
                     .arg(XmlEscaped(P.name()));
    }
    if (Specs.isEmpty()) return {};
    return QStringLiteral("   <propertyspecifications>\n%1   </propertyspecifications>\n")
        .arg(Specs);
}

}  // namespace

TWidgetInterface::TWidgetInterface(const TWidgetEntry& Entry, QObject* Parent)
    : QObject(Parent), FEntry(Entry), FIcon(LoadIcon(QString::fromUtf8(Entry.IconName))) {}

QString TWidgetInterface::name() const {
    return QString::fromUtf8(FEntry.Meta->className());
}

QString TWidgetInterface::group() const {
    return QStringLiteral("Scheme");
}

QString TWidgetInterface::toolTip() const {
    return QString::fromUtf8(FEntry.ToolTip);
}

QString TWidgetInterface::whatsThis() const {
    return QString::fromUtf8(FEntry.WhatsThis);
}

QString TWidgetInterface::includeFile() const {
    return QString::fromUtf8(FEntry.Include);
}

QIcon TWidgetInterface::icon() const {
    return FIcon;
}

QWidget* TWidgetInterface::createWidget(QWidget* Parent) {
    return FEntry.Create(Parent);
}

// Inside Designer (which gives a form editor; form loaders give none) a value the property
// editor sets and a widget refuses ("Zoom ?") shows in a message box instead of going unseen.
void TWidgetInterface::initialize(QDesignerFormEditorInterface* Core) {
    static bool GErrorBoxInstalled = false;
    if (Core && !std::exchange(GErrorBoxInstalled, true)) InstallErrorMessageBox();
    FInitialized = true;
}

// The palette shows the class without its namespace; a new widget gets the entry's size and
// object name, and forms learn the header and the Qt class it extends.
QString TWidgetInterface::domXml() const {
    const QString Class = name();
    return QStringLiteral(
               "<ui language=\"c++\" displayname=\"%1\">\n"
               " <widget class=\"%2\" name=\"%3\">\n"
               "  <property name=\"geometry\">\n"
               "   <rect><x>0</x><y>0</y><width>%4</width><height>%5</height></rect>\n"
               "  </property>\n"
               " </widget>\n"
               " <customwidgets>\n"
               "  <customwidget>\n"
               "   <class>%2</class>\n"
               "   <extends>%6</extends>\n"
               "   <header>%7</header>\n"
               "%8"
               "  </customwidget>\n"
               " </customwidgets>\n"
               "</ui>\n")
        .arg(Class.section(QStringLiteral("::"), -1), Class, XmlEscaped(FEntry.ObjectName))
        .arg(FEntry.Size.width())
        .arg(FEntry.Size.height())
        .arg(XmlEscaped(QtBaseClass(FEntry.Meta)), XmlEscaped(FEntry.Include),
             PropertySpecifications(FEntry.Meta));
}

TSchemeDesignerCollection::TSchemeDesignerCollection(QObject* Parent) : QObject(Parent) {
    for (const TWidgetEntry& Entry : WidgetEntries())
        FWidgets.append(new TWidgetInterface(Entry, this));
}

}  // namespace scheme::designer
