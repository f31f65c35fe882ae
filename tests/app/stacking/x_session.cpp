#include "x_session.h"

#include <QGuiApplication>
#include <QThread>
#include <QWidget>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>
#include <vector>

namespace {

xcb_connection_t* Connection() {
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  return x11 ? x11->connection() : nullptr;
}

xcb_window_t Root(xcb_connection_t* c) { return xcb_setup_roots_iterator(xcb_get_setup(c)).data->root; }

xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
  std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> r(
      xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::string(name).size()), name), nullptr),
      &std::free);
  return r ? r->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

xcb_window_t WindowProperty(xcb_connection_t* c, xcb_window_t w, const char* name) {
  std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> r(
      xcb_get_property_reply(c, xcb_get_property(c, 0, w, Atom(c, name), XCB_ATOM_WINDOW, 0, 1), nullptr),
      &std::free);
  if (!r || xcb_get_property_value_length(r.get()) < 4) return XCB_WINDOW_NONE;
  return *static_cast<xcb_window_t*>(xcb_get_property_value(r.get()));
}

struct Tree {
  xcb_window_t parent = XCB_WINDOW_NONE;
  std::vector<xcb_window_t> children;  // bottom first
};

Tree QueryTree(xcb_connection_t* c, xcb_window_t w) {
  Tree t;
  std::unique_ptr<xcb_query_tree_reply_t, decltype(&std::free)> r(xcb_query_tree_reply(c, xcb_query_tree(c, w), nullptr),
                                                                  &std::free);
  if (!r) return t;
  t.parent = r->parent;
  const xcb_window_t* kids = xcb_query_tree_children(r.get());
  t.children.assign(kids, kids + xcb_query_tree_children_length(r.get()));
  return t;
}

// The child of the root that holds w (the window manager's frame).
xcb_window_t TopLevelOf(xcb_connection_t* c, xcb_window_t w) {
  const xcb_window_t root = Root(c);
  for (int depth = 0; w != XCB_WINDOW_NONE && depth < 16; ++depth) {
    const Tree t = QueryTree(c, w);
    if (t.parent == root) return w;
    w = t.parent;
  }
  return XCB_WINDOW_NONE;
}

}  // namespace

bool WaitForWindowManager(std::chrono::milliseconds timeout) {
  xcb_connection_t* c = Connection();
  if (!c) return false;
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < end) {
    if (WindowProperty(c, Root(c), "_NET_SUPPORTING_WM_CHECK") != XCB_WINDOW_NONE) return true;
    QThread::msleep(50);
  }
  return false;
}

int StackingIndex(const QWidget& window) {
  xcb_connection_t* c = Connection();
  if (!c || !window.isVisible()) return -1;
  xcb_flush(c);
  const xcb_window_t top = TopLevelOf(c, static_cast<xcb_window_t>(window.winId()));
  const Tree root = QueryTree(c, Root(c));
  for (size_t i = 0; i < root.children.size(); ++i)
    if (root.children[i] == top) return static_cast<int>(i);
  return -1;
}

void ActivateAsTheUserDoes(const QWidget& window) {
  xcb_connection_t* c = Connection();
  if (!c) return;
  xcb_client_message_event_t e{};
  e.response_type = XCB_CLIENT_MESSAGE;
  e.format = 32;
  e.window = static_cast<xcb_window_t>(window.winId());
  e.type = Atom(c, "_NET_ACTIVE_WINDOW");
  e.data.data32[0] = 2;  // the request comes from the user
  e.data.data32[1] = XCB_CURRENT_TIME;
  xcb_send_event(c, 0, Root(c), XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                 reinterpret_cast<const char*>(&e));
  xcb_flush(c);
}
