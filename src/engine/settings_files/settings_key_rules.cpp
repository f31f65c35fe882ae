// The small rules by which the settings files' keys are written and put back:
// a button's or a menu item's flag, a bar's position, a stored number, and
// the keys of a button and of a check-mark item made from them.
#include <functional>
#include <string>

#include "engine/scope_settings.h"
#include "engine/settings_files/settings_keys.h"
#include "platform/ui/vcl.h"

namespace engine::keys {

// ---------------------------------------------------------------- writing

void FlagOf(SettingsList& l, const char* section, const char* key, const TSpeedButton* b) {
  if (b) l.Flag(section, key, b->Down());
}
void FlagOf(SettingsList& l, const char* section, const char* key, const TMenuItem* item) {
  if (item) l.Flag(section, key, item->Checked());
}

// ---------------------------------------------------------------- recall rules

void RunClick(TSpeedButton* b) {
  if (b && b->OnClick) b->OnClick(b);
}
void RunClick(TMenuItem* item) {
  if (item && item->OnClick) item->OnClick(item);
}

// A stand-alone on/off button: a stored state that differs flips it once.
void ToggleRule(const SettingsSnapshot& f, const char* section, const char* key, TSpeedButton* b) {
  if (!b) return;
  const bool stored = f.Flag(section, key, b->Down());
  if (stored == b->Down()) return;
  b->SetDown(stored);
  RunClick(b);
}

// A button of a one-down group: every button that is down when its key
// comes runs its handler, so the stored one ends down with its handler last.
void SelectRule(const SettingsSnapshot& f, const char* section, const char* key, TSpeedButton* b) {
  if (!b) return;
  b->SetDown(f.Flag(section, key, b->Down()));
  if (b->Down()) RunClick(b);
}

// A check-mark item: its handler changes the check when the stored one differs.
void MenuRule(const SettingsSnapshot& f, const char* section, const char* key, TMenuItem* item) {
  if (!item) return;
  if (f.Flag(section, key, item->Checked()) != item->Checked()) RunClick(item);
}

void PutPosition(const SettingsSnapshot& f, const char* section, const char* key, TTrackBar* bar,
              const std::function<void()>& handler) {
  if (!bar) return;
  bar->SetPosition(f.Integer(section, key, bar->Position()));
  if (handler) handler();
}

double StoredNumber(const SettingsSnapshot& f, const char* section, const char* key, const char* fallback,
                    double low, double high) {
  const std::string text = f.Text(section, key, fallback);
  if (const auto v = engine::ParseDecimal(text)) {
    if (*v >= low && *v <= high) return *v;
    return *engine::ParseDecimal(fallback);
  }
  Application->MessageBox(engine::NotAFloatMessage(text), Application->Title(), MB_OK | MB_ICONERROR);
  return *engine::ParseDecimal(fallback);
}

SettingsFileKey ButtonKey(const char* section, const char* key, RecallStep step, ButtonOf button,
                          ButtonRecall rule, std::function<bool(const TForm1&)> written) {
  return {section, key, step,
          [button, written](const TForm1& t, SettingsList& l, const SettingsFileKey& k) {
            if (written) l.Flag(k.Section, k.Key, written(t));
            else FlagOf(l, k.Section, k.Key, button(t));
          },
          [button, rule](TForm1& t, const SettingsSnapshot& f, const SettingsFileKey& k, RecallState&) {
            TSpeedButton* b = button(t);
            switch (rule) {
              case ButtonRecall::kToggle: ToggleRule(f, k.Section, k.Key, b); break;
              case ButtonRecall::kSelect: SelectRule(f, k.Section, k.Key, b); break;
              case ButtonRecall::kDownOnly:
                if (b) b->SetDown(f.Flag(k.Section, k.Key, b->Down()));
                break;
            }
          }};
}

SettingsFileKey MenuKey(const char* section, const char* key, RecallStep step, ItemOf item,
                        std::function<bool(const TForm1&)> written) {
  return {section, key, step,
          [item, written](const TForm1& t, SettingsList& l, const SettingsFileKey& k) {
            if (written) l.Flag(k.Section, k.Key, written(t));
            else FlagOf(l, k.Section, k.Key, item(t));
          },
          [item](TForm1& t, const SettingsSnapshot& f, const SettingsFileKey& k, RecallState&) {
            MenuRule(f, k.Section, k.Key, item(t));
          }};
}

}  // namespace engine::keys
