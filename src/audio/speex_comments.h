// Lists the comment packet of a Speex stream (vendor string, then each
// comment) on a diagnostic stream; every length is checked against the packet.
#pragma once

#include <cstdio>

namespace cdsetup::audio {

/// Writes the vendor string and each comment of `packet`, one per line, to
/// `err`. A length that runs past the packet, or a packet shorter than 8
/// bytes, prints "Invalid/corrupted comments\n" and ends the listing.
void PrintSpeexComments(const unsigned char* packet, long length, std::FILE* err);

}  // namespace cdsetup::audio
