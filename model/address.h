// Turning the address texts of command lines into IPv4 addresses.
#pragma once

#include <netinet/in.h>

#include <string>

// Whether text is to be converted numerically (as a dotted quad) rather than looked up as a
// host name: three dots cutting it into four parts, each empty or beginning with a digit and
// reading (as atoi) 0 to 255. Only the first 16 characters are looked at. Null is no quad.
bool IsDottedQuad(const char* text);

// Converts text (a dotted quad numerically, anything else by host-name lookup, taking the first
// IPv4 address) into address, in network byte order. False when it does not convert, or when
// it converts to 0.0.0.0 or 255.255.255.255.
bool ResolveAddress(const char* text, in_addr& address);

// The dotted-decimal text of address, as inet_ntoa writes it.
std::string DottedText(in_addr address);
