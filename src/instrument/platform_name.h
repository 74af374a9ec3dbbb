// The platform the instrument was built for, as its "Platform" variable
// shows it. One implementation per platform (linux/, win32/).
#pragma once

namespace kx {

const char* platformName();

}  // namespace kx
