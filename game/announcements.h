#pragma once
// The game core's announcements carried out: every kind has its case here, so a kind
// added to the core without a handler does not compile (-Wswitch).
struct Announcement;

// The sink the program installs into the core.
void gameAnnounce(void* context, const Announcement& what);
