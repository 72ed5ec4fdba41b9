// The link objects of a main window, for the features that work with the
// connected unit (monitor refresh, recording, test commands, pickup monitor).
// They exist from the window's createProtocolEngine start-up step on: a
// feature installed after the link chains m_startup.createProtocolEngine and
// sets its supervisor hooks there, e.g.
//
//     m_startup.createProtocolEngine = [this, prev = m_startup.createProtocolEngine] {
//       if (prev) prev();
//       linkSupervisor(this)->hooks().monitorTaken = [this] { ... };
//     };
#pragma once

class TMainForm;

namespace q3 {
class CCOMCOM;
class ConnectionSupervisor;
}  // namespace q3

// Null before the engine is created and after it is destroyed.
q3::CCOMCOM* linkEngine(TMainForm* w);
q3::ConnectionSupervisor* linkSupervisor(TMainForm* w);
