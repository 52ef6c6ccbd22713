#pragma once

struct Controller;

// Every check mark that mirrors the parameter table set from it, and the plot
// background with them.
void SyncMenusToTable(Controller& c);
