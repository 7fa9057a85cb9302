#pragma once
// What the router says about an item it does not move, in one place: routing itself and the
// plan of a drop (ItemPlan) use the same words.

namespace kw {

inline constexpr char kMessageNoSource[] = "Source no longer exists.";
inline constexpr char kMessageRoutingFolder[] = "Skipped (routing destination folder \xE2\x80\x94 left in place).";
inline constexpr char kMessageNameExists[] = "Skipped (name already exists).";
inline constexpr char kMessageNameTakenInBatch[] = "Skipped (an earlier item of this batch took that name).";
inline constexpr char kMessageWholeVolume[] = "Skipped (a whole drive or share cannot be routed).";
inline constexpr char kMessageNoDestination[] = "No destination folder is set.";
inline constexpr char kMessageIntoItself[] = "Skipped (cannot move destination folder into itself).";
inline constexpr char kMessageFolderIntoItself[] = "Skipped (would move a folder into itself).";
inline constexpr char kMessageAlreadyThere[] = "Skipped (already in destination folder).";
inline constexpr char kMessageNoRecycleBin[] = "Skipped (no Recycle Bin for this item \xE2\x80\x94 not deleted).";
inline constexpr char kMessageRecycleName[] =
    "Skipped (the Recycle Bin cannot take this name or path as it is \xE2\x80\x94 not deleted).";
inline constexpr char kMessageRecycleDeclined[] = "Skipped (not deleted \xE2\x80\x94 it could not go to the Recycle Bin).";
inline constexpr char kMessageTemplateError[] = "Skipped (the destination template has an error).";
inline constexpr char kMessageNewNameError[] = "Skipped (the new name's template has an error).";
inline constexpr char kMessageSameName[] = "Left in place (it already has that name).";
inline constexpr char kMessageOwnItem[] = "Left in place (this program just put it there).";
inline constexpr char kMessageSourceChanged[] = "Left in place (it changed while it was being moved)";
inline constexpr char kMessageRecycleFailed[] = "Could not send to Recycle Bin.";

}  // namespace kw
