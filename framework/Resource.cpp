#include "framework/Resource.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace dalvren {

namespace {

// The program's script, read once: resources never change while the program
// runs.
const CResourceScript& ProgramScript() {
  static const CResourceScript script =
      ReadResourceScript(QString::fromLatin1(kResourceScript));
  return script;
}

const QJsonObject& Script() { return ProgramScript().resources; }

QJsonValue Find(const char* section, unsigned id) {
  return Script().value(QLatin1StringView(section))[QString::number(id)];
}

QRect RectOf(const QJsonValue& v) {
  const QJsonArray a = v.toArray();
  return {a[0].toInt(), a[1].toInt(), a[2].toInt(), a[3].toInt()};
}

std::vector<CMenuItemTemplate> MenuItems(const QJsonArray& array) {
  std::vector<CMenuItemTemplate> items;
  for (const QJsonValue v : array) {
    CMenuItemTemplate item;
    item.text = v["text"].toString();
    item.id = static_cast<unsigned>(v["id"].toInt());
    item.separator = v["separator"].toBool();
    item.grayed = v["grayed"].toBool();
    item.items = MenuItems(v["items"].toArray());
    items.push_back(std::move(item));
  }
  return items;
}

}  // namespace

CResourceScript ReadResourceScript(const QString& path) {
  CResourceScript script;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    script.error = QStringLiteral("resource script '%1' is missing").arg(path);
    return script;
  }
  QJsonParseError parse{};
  const QJsonDocument document =
      QJsonDocument::fromJson(file.readAll(), &parse);
  if (parse.error != QJsonParseError::NoError) {
    script.error = QStringLiteral(
                       "resource script '%1' is malformed: %2 at "
                       "byte %3")
                       .arg(path, parse.errorString())
                       .arg(parse.offset);
  } else if (!document.isObject()) {
    script.error =
        QStringLiteral("resource script '%1' is malformed: it is not an object")
            .arg(path);
  } else {
    script.resources = document.object();
  }
  return script;
}

QString ResourceScriptError() { return ProgramScript().error; }

QString LoadResourceString(unsigned id) {
  return Find("strings", id).toString();
}

std::vector<CMenuItemTemplate> LoadMenuResource(unsigned id) {
  return MenuItems(Find("menus", id).toArray());
}

std::vector<CAcceleratorTemplate> LoadAcceleratorResource(unsigned id) {
  std::vector<CAcceleratorTemplate> table;
  for (const QJsonValue v : Find("accelerators", id).toArray()) {
    table.push_back(
        {QKeySequence(v["key"].toString(), QKeySequence::PortableText),
         static_cast<unsigned>(v["id"].toInt())});
  }
  return table;
}

std::optional<CDialogTemplate> LoadDialogResource(unsigned id) {
  const QJsonValue v = Find("dialogs", id);
  if (!v.isObject()) return std::nullopt;
  CDialogTemplate t;
  t.caption = v["caption"].toString();
  const QJsonArray size = v["size"].toArray();
  t.size = QSize(size[0].toInt(), size[1].toInt());
  t.fontFamily = v["font"][0].toString();
  t.pointSize = v["font"][1].toInt(8);
  for (const QJsonValue c : v["controls"].toArray()) {
    CControlTemplate control;
    control.id = c["id"].toInt(-1);
    control.kind = c["kind"].toString();
    control.text = c["text"].toString();
    control.rect = RectOf(c["rect"]);
    for (const QJsonValue s : c["styles"].toArray()) {
      control.styles << s.toString();
    }
    control.buddy = c["buddy"].toInt(-1);
    control.icon = c["icon"].toInt();
    if (c["grow"].isArray()) {
      const QJsonArray g = c["grow"].toArray();
      control.grow = QRectF(g[0].toDouble(), g[1].toDouble(), g[2].toDouble(),
                            g[3].toDouble());
    }
    t.controls.push_back(std::move(control));
  }
  return t;
}

QStringList IconResourceFiles(unsigned id) {
  QStringList files;
  for (const QJsonValue v : Find("icons", id).toArray()) {
    files << v.toString();
  }
  return files;
}

QIcon LoadIconResource(unsigned id) {
  QIcon icon;
  for (const QString& file : IconResourceFiles(id)) {
    icon.addFile(file);
  }
  return icon;
}

QString LoadVersionValue(const QString& name) {
  return Script().value(QLatin1StringView("version"))[name].toString();
}

QString LoadVersionText() {
  return LoadVersionValue(QStringLiteral("FileVersion"))
      .remove(QLatin1Char(' '))
      .replace(QLatin1Char(','), QLatin1Char('.'));
}

}  // namespace dalvren
