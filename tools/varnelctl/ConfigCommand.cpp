#include <nlohmann/json.hpp>

#include <ostream>

#include "Commands.h"
#include "ModelJson.h"
#include "Session.h"
#include "config/AppConfig.h"
#include "config/KbKeys.h"
#include "config/LangText.h"
#include "config/SensorKeys.h"
#include "config/SensorTable.h"

namespace varnel::cli {

using nlohmann::json;

namespace {

json Colour(COLORREF c) { return json::array({RedOf(c), GreenOf(c), BlueOf(c)}); }

struct OptToJson {
  json operator()(int32_t GVar::*f) const { return gVar.*f; }
  json operator()(uint16_t GVar::*f) const { return gVar.*f; }
  json operator()(const TextField& t) const { return gVar.*(t.field); }
  json operator()(const ByteListField& b) const { return gVar.*(b.field); }
  json operator()(COLORREF GVar::*f) const { return Colour(gVar.*f); }
  json operator()(const ColourListField& l) const {
    json a = json::array();
    for (COLORREF c : gVar.*(l.field)) a.push_back(Colour(c));
    return a;
  }
  json operator()(Point GVar::*f) const {
    const Point& p = gVar.*f;
    return json::array({p.x, p.y});
  }
  json operator()(Rect GVar::*f) const {
    const Rect& r = gVar.*f;
    return json::array({r.left, r.top, r.right, r.bottom});
  }
};

json NamedList(const std::array<NamedFolder, kMaxListEntries>& list, int32_t count) {
  json a = json::array();
  for (int32_t i = 0; i < count; ++i)
    a.push_back({{"name", list[static_cast<size_t>(i)].szName},
                 {"folder", list[static_cast<size_t>(i)].szFolder}});
  return a;
}

// [[dpi, code], …] of the current sensor's step table, null when it has none.
json StepsJson() {
  const SensorSteps* steps = FindSensorSteps(gVar.dwCurSensor);
  if (steps == nullptr) return nullptr;
  json a = json::array();
  const auto dpis = steps->Dpis();
  const auto codes = steps->Codes();
  for (size_t i = 0; i < dpis.size(); ++i) a.push_back(json::array({dpis[i], codes[i]}));
  return a;
}

// The keyboard table up to its first entry without a function.
json DefKeyJson() {
  json a = json::array();
  for (const KeyItem& k : g_defKEY) {
    if (k.dwFunc == 0) break;
    a.push_back(KeyItemJson(k));
  }
  return a;
}

json DefMsKeyJson() {
  json a = json::array();
  for (const MsKeyTable& table : g_defMsKEY) a.push_back(KeyTableJson(table));
  return a;
}

}  // namespace

json MessagesJson(const std::vector<UiMessage>& messages) {
  json a = json::array();
  for (const UiMessage& m : messages) {
    json e = {{"caption", m.caption}, {"text", m.text}};
    if (m.kind == UiMessage::Kind::YesNo) e["answer"] = m.answer;
    a.push_back(std::move(e));
  }
  return a;
}

int CmdConfig(const GlobalOptions& g, std::ostream& out, std::ostream& err) {
  Session s(g);
  if (!s.Load(err)) return 1;

  json opt = json::object();
  for (const OptKey& k : OptKeys()) opt[k.key] = std::visit(OptToJson{}, k.field);
  opt["clrPickNum"] = gVar.nPickNum;

  json j = {
      {"opt", std::move(opt)},
      {"hwParam",
       {{"nMinDelay", hwParam.nMinDelay},
        {"nMacroBufferSize", hwParam.nMacroBufferSize},
        {"nMacroBufferNum", hwParam.nMacroBufferNum},
        {"nMaxLoop", hwParam.nMaxLoop},
        {"nMaxDelay", hwParam.nMaxDelay},
        {"nMaxAction", hwParam.nMaxAction}}},
      {"skins", NamedList(gVar.Skins, gVar.nSkinsNum)},
      {"SkinsIndex", gVar.nSkinsIndex},
      {"langs", NamedList(gVar.Langs, gVar.nLangNum)},
      {"LangIndex", gVar.nLangIndex},
      {"title", gVar.pszTitle},
      {"appDir", gVar.appDir.string()},
      {"dataDir", gVar.dataDir.string()},
      {"skinDir", SkinDir().string()},
      {"langFile", s.startup().langFile.string()},
      {"combo", gVar.bCombo},
      {"viewKeyRows", gVar.ViewKeyRows()},
      // Device sections of the configured slots (null for a slot that is not configured).
      {"ms", gVar.nMsFw != 0 ? MsJson() : json(nullptr)},
      {"kb", gVar.nKbFw != 0 ? KbJson() : json(nullptr)},
      {"pad", gVar.nPadFw != 0 ? PadJson() : json(nullptr)},
      {"sensors", SensorsJson()},
      {"curSensor", gVar.dwCurSensor},
      {"steps", StepsJson()},
      {"defKEY", DefKeyJson()},
      {"defMsKEY", DefMsKeyJson()},
      {"messages", MessagesJson(s.ui().Messages())},
  };
  out << j.dump(2) << "\n";
  return 0;
}

int CmdText(const GlobalOptions& g, const std::string& key, std::ostream& out, std::ostream& err) {
  Session s(g);
  if (!s.Load(err)) return 1;
  const auto text = LookupText(key);
  if (!text) {
    err << "varnelctl: unknown text key: " << key << "\n";
    return 2;
  }
  out << *text << "\n";
  return 0;
}

}  // namespace varnel::cli
