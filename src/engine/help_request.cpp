#include "engine/help_request.h"

#include "engine/scope_state.h"
#include "engine/scope_states.h"
#include "engine/scope_window.h"
#include "platform/ini/ini_file.h"

namespace engine {

void ShowHelp(const std::string& file, int topic) {
  // Read at every request: the user may choose another viewer while the
  // program runs.
  ScopeWindow* scope = TheScopeWindow();
  const std::string chosen = scope && scope->Ini() ? scope->Ini()->ReadString("Help", "Viewer", "") : "";
  io::StartHelpViewer(scope ? scope->States().ScopeState.ProgramFolder : std::string(), chosen, file, topic);
}

}  // namespace engine
