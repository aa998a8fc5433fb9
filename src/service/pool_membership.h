#pragma once
// Which pool a port belongs to. Ports are named after their pool ("A1.07"): a port belongs to a
// pool when the part of its name before the first "." is the pool's name, byte for byte, so that
// pool A1 does not claim the ports of A10. A name without "." belongs to every pool whose name
// it contains; no pool (an empty name) takes every port.

#include <string_view>

namespace service {

bool portBelongsToPool(std::string_view port, std::string_view pool);

} // namespace service
