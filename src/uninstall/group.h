// The product's Start-menu program group: its folder and its Program Manager group.
#ifndef VEL_UNINSTALL_GROUP_H
#define VEL_UNINSTALL_GROUP_H

// Reads "Group" from the current user's settings root, empties and removes
// the group folder below the Programs folder, and asks Program Manager to
// delete the group. Tells the report what became of both.
void RemoveProgramGroup(void);

#endif
