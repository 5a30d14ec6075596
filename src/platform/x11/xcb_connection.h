#pragma once

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

// What the X11 parts of the window system share: the application's connection
// to the X server, its replies and its atoms.
namespace quillo::xcb {

// A reply of libxcb, which the caller frees.
struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename Reply>
using ReplyPtr = std::unique_ptr<Reply, FreeReply>;

// Qt's connection, or null when the application does not run on X11.
xcb_connection_t* connectionOf();

// The atom of `name`, created if the server does not know it yet.
xcb_atom_t atom(xcb_connection_t* c, const char* name);

}  // namespace quillo::xcb
