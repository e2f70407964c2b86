// The context ids the application passes to HHDisplayTopicID (or sets as HelpContextID).
// An id belongs to the page its name spells (IDH_start -> start.md) or the page whose
// header names it.
#pragma once

#define IDH_start 1001
#define IDH_options_dialog 1002
