#include "dictionaryreader.h"

#include <QFile>
#include <QXmlStreamReader>

#include <pugixml.hpp>

namespace TR {

namespace {

QString attributeText(const pugi::xml_node &node, const char *name)
{
    return QString::fromUtf8(node.attribute(name).value());
}

bool parse(pugi::xml_document &document, const QByteArray &xml)
{
    return document.load_buffer(xml.constData(), size_t(xml.size()));
}

std::optional<QByteArray> fileContents(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return std::nullopt;
    return file.readAll();
}

QString capitalised(const QString &name)
{
    QString result = name.toLower();
    if (!result.isEmpty())
        result[0] = result.at(0).toUpper();
    return result;
}

} // namespace

QMap<QString, QString> DictionaryReader::readModel(const QByteArray &xml)
{
    QMap<QString, QString> model;
    pugi::xml_document document;
    if (!parse(document, xml))
        return model;
    for (const pugi::xml_node &entry : document.child("Model").children()) {
        if (entry.type() != pugi::node_element)
            continue;
        const QString key = attributeText(entry, "Key");
        if (key.isEmpty())
            continue;
        QString value = attributeText(entry, "Value");
        value.replace(QLatin1String("\\n"), QLatin1String("\n"));
        model.insert(key, value);
    }
    return model;
}

QMap<QString, QString> DictionaryReader::readModelFile(const QString &path)
{
    return readModel(fileContents(path).value_or(QByteArray()));
}

std::optional<QHash<QString, QString>> DictionaryReader::readLanguage(const QByteArray &xml)
{
    pugi::xml_document document;
    if (!parse(document, xml))
        return std::nullopt;
    QHash<QString, QString> units;
    const pugi::xml_node definition = document.child("Language").child("Definition");
    for (const pugi::xml_node &unit : definition.children()) {
        if (unit.type() != pugi::node_element)
            continue;
        const QString id = attributeText(unit, "ID");
        if (!id.isEmpty())
            units.insert(id, attributeText(unit, "Text"));
    }
    return units;
}

std::optional<QHash<QString, QString>> DictionaryReader::readLanguageFile(const QString &path)
{
    const std::optional<QByteArray> contents = fileContents(path);
    if (!contents)
        return std::nullopt;
    return readLanguage(*contents);
}

QString DictionaryReader::readLanguageName(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    QXmlStreamReader reader(&file);
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::StartElement && reader.name() == QLatin1String("Language"))
            return capitalised(reader.attributes().value(QLatin1String("Name")).toString());
    }
    return QString();
}

} // namespace TR
