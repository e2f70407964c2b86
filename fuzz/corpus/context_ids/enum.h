#pragma once

enum HelpIds : int {
    IDH_FIRST = 10,
    IDH_SECOND = 0x20,
    IDH_THIRD,  // 33
    IDH_FOURTH = (40)
};

typedef enum { IDH_ZERO, IDH_ONE } BasicIds;
