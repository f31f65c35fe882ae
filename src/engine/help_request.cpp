#include "engine/help_request.h"

#include "engine/main_form.h"
#include "engine/scope_state.h"

namespace engine {

void ShowHelp(const std::string& file, int topic) {
  // Read at every request: the user may choose another viewer while the
  // program runs.
  const std::string chosen = Form1 && Form1->ScopeIni ? Form1->ScopeIni->ReadString("Help", "Viewer", "") : "";
  io::StartHelpViewer(Form1 ? Form1->ScopeState.ProgramFolder : std::string(), chosen, file, topic);
}

}  // namespace engine
