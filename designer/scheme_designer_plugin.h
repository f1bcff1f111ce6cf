#pragma once

#include <QIcon>
#include <QObject>
#include <QSize>
#include <QtUiPlugin/QDesignerCustomWidgetCollectionInterface>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>
#include <vector>

namespace scheme::designer {

// What Designer shows of one of the library's widgets and how it makes one. The class's name,
// the Qt class it extends and its colour properties come from its meta-object.
struct TWidgetEntry {
    const QMetaObject* Meta;
    const char* Include;
    const char* IconName;  // the icons are IconName-22.svg and IconName-16.svg
    const char* ObjectName;
    const char* ToolTip;
    const char* WhatsThis;
    QSize Size;
    QWidget* (*Create)(QWidget* Parent);
};

// The widgets of the collection, in palette order.
const std::vector<TWidgetEntry>& WidgetEntries();

// One widget on Designer's palette, described by its entry.
class TWidgetInterface : public QObject, public QDesignerCustomWidgetInterface {
    Q_OBJECT
    Q_INTERFACES(QDesignerCustomWidgetInterface)

public:
    TWidgetInterface(const TWidgetEntry& Entry, QObject* Parent);

    QString name() const override;
    QString group() const override;
    QString toolTip() const override;
    QString whatsThis() const override;
    QString includeFile() const override;
    QIcon icon() const override;
    bool isContainer() const override { return false; }
    QWidget* createWidget(QWidget* Parent) override;
    bool isInitialized() const override { return FInitialized; }
    void initialize(QDesignerFormEditorInterface* Core) override;
    QString domXml() const override;

private:
    const TWidgetEntry& FEntry;
    QIcon FIcon;
    bool FInitialized = false;
};

// The library's widgets as one Designer plugin, on the palette group "Scheme".
class TSchemeDesignerCollection : public QObject, public QDesignerCustomWidgetCollectionInterface {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.qt-project.Qt.QDesignerCustomWidgetCollectionInterface")
    Q_INTERFACES(QDesignerCustomWidgetCollectionInterface)

public:
    explicit TSchemeDesignerCollection(QObject* Parent = nullptr);

    QList<QDesignerCustomWidgetInterface*> customWidgets() const override { return FWidgets; }

private:
    QList<QDesignerCustomWidgetInterface*> FWidgets;
};

}  // namespace scheme::designer
