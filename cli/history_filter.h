// Which typed lines stay out of the terminal's history file: those that carry a password.
#pragma once

#include <string_view>

// True for a line that gives a password as an argument: AUTH (always kept out: it names the
// server's user), object.PASSWORD (PASSWD, PASS), and AGENT, object.ADD and object.SPAWN in
// their forms with a port and a password. Words are matched ignoring case, whatever the
// object's name, the separator set for it and the length of the line.
bool HoldsPassword(std::string_view line);
