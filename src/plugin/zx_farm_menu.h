// The farm menu in Maya. The menu itself is built by a MEL script that
// belongs to the "maya" job type: its job.conf names the script under the
// key "maya_menu" (relative to the type's folder), and the script defines
// the MEL procedure "zx_remove_menu" that takes the menu down again.
#pragma once

// Sources the menu script when the "maya" job type names one that exists
// as a regular file. Called as the last step of loading the module; its
// outcome never affects the load.
void setUpMenu();

// Runs "zx_remove_menu" (display and undo off). Called as the first step of
// unloading the module; an unknown procedure or a failing script is ignored.
void removeMenu();
