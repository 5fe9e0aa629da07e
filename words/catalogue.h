#pragma once
// Every text of Glimmerbox that a person can read, in English, in one place.
// The code names an entry and hands it the values it needs (a file name, the
// system's own words about a failure); words::say puts them in at %1, %2 ...
// To translate, see po/README: the entries here are the messages of
// po/glimmerbox.pot, and a translator writes po/LANG.po from it.
#include "words/text.h"

namespace words {

// --- Window captions, labels and buttons ---
GLIMMERBOX_TEXT(kAppTitle, "Glimmerbox");
GLIMMERBOX_TEXT(kFrameCaption, "v1.7");
GLIMMERBOX_TEXT(kBrowserCaptionLoading, "Glimmerbox (Tarvolin)");
GLIMMERBOX_TEXT(kBrowserCaption, "Glimmerbox - Tarvolin");
GLIMMERBOX_TEXT(kThumbnailsCaption, "Thumbnails");
GLIMMERBOX_TEXT(kProgressCaption, "Progress");
GLIMMERBOX_TEXT(kNewNameCaption, "New File Name");
GLIMMERBOX_TEXT(kNewNamePrompt, "Enter the new name:");
GLIMMERBOX_TEXT(kOkButton, "&OK");
GLIMMERBOX_TEXT(kCancelButton, "&Cancel");

// --- The action selector's entries, in their order ---
GLIMMERBOX_TEXT(kChoiceGraphicsFiles, "Graphics files (*.JPG;*.GIF;*.BMP;*.WMF;*.ICO)");
GLIMMERBOX_TEXT(kChoiceAutoShow, "Auto Show (*.*)");
GLIMMERBOX_TEXT(kChoiceCenter, "Change wallpaper (Center)");
GLIMMERBOX_TEXT(kChoiceTile, "Change wallpaper (Tile)");
GLIMMERBOX_TEXT(kChoiceThumbnails, "Thumbnail View");

// --- The thumbnail window and its progress window ---
// %1: the number of the picture being loaded.
GLIMMERBOX_TEXT(kLoadingImage, "Loading image  %1");
GLIMMERBOX_TEXT(kCheckingScreen, "Checking your screen size, please wait...");
GLIMMERBOX_TEXT(kNoGraphicsFile, "There is no graphics file under this directory");

// --- The settings store's routines ---
// Followed by a blank line and the key path as given.
GLIMMERBOX_TEXT(kIncorrectFormat, "Incorrect Format:");
GLIMMERBOX_TEXT(kNotMainKey, "Not a valid main key handle");
GLIMMERBOX_TEXT(kRegistryOpenError, "Registry Open Error");
GLIMMERBOX_TEXT(kRegistryWriteError, "Registry Write Error");
GLIMMERBOX_TEXT(kBadKeyName, "Bad Key Name");
GLIMMERBOX_TEXT(kCantReadKey, "Can't Read Key");
GLIMMERBOX_TEXT(kKeyAccessDenied, "Access to this key is denied");
GLIMMERBOX_TEXT(kOutOfMemory, "Out of memory");
GLIMMERBOX_TEXT(kInvalidParameter, "Invalid Parameter");
GLIMMERBOX_TEXT(kMoreData, "There is more data than the buffer has been allocated to hold.");
GLIMMERBOX_TEXT(kRegistryCorrupt, "The Registry Database is corrupt!");
GLIMMERBOX_TEXT(kCantOpenKey, "Can't Open Key");
GLIMMERBOX_TEXT(kCantWriteKey, "Can't Write Key");
// %1: the number, with a blank where a minus sign would go.
GLIMMERBOX_TEXT(kUndefinedErrorCode, "Undefined Error Code:  %1");

// --- What is left of a failure when a user's action ends ---
// %1: the failure's own sentence.
GLIMMERBOX_TEXT(kCouldNotFinish, "Glimmerbox could not finish that.\n\n%1");
GLIMMERBOX_TEXT(kUnexpectedProblemWith, "Glimmerbox met an unexpected problem.\n\n%1");
GLIMMERBOX_TEXT(kUnexpectedProblem, "Glimmerbox met an unexpected problem.");

// --- A rename refused, in the rename dialog ---
// %1: the name typed.
GLIMMERBOX_TEXT(kRenameNameTaken, "A file named \"%1\" already exists. Please choose another name.");
// %1: the file's old name.
GLIMMERBOX_TEXT(kRenameFileGone, "The file %1 is no longer there, so it cannot be renamed.");
// %1: the name typed.
GLIMMERBOX_TEXT(kRenameFolderMissing, "The folder named in \"%1\" does not exist.");
// %1: the system's sentence.
GLIMMERBOX_TEXT(kRenameNotPermitted, "You do not have permission to rename this file.\n\n%1");
GLIMMERBOX_TEXT(kRenameFailed, "The file could not be renamed.\n\n%1");

// --- The controls ---
GLIMMERBOX_TEXT(kInvalidPropertyValue, "Invalid property value");
GLIMMERBOX_TEXT(kOverflow, "Overflow");
GLIMMERBOX_TEXT(kNoPictureToSave, "There is no picture to save.");
// %1: the drive or folder.
GLIMMERBOX_TEXT(kDriveNotAvailable, "The drive %1 is not available.");
GLIMMERBOX_TEXT(kFolderNotFound, "The folder %1 was not found.");
GLIMMERBOX_TEXT(kNoWindowMade, "Out of memory: no window could be made.");
GLIMMERBOX_TEXT(kNoControlMade, "Out of memory: no control could be made.");

// --- Files, folders and drives ---
// The label of the drive that holds the system's root folder.
GLIMMERBOX_TEXT(kSystemDrive, "system");
// %1: the folder or drive; %2: why, mostly in the system's own words.
GLIMMERBOX_TEXT(kFolderCannotBeRead, "The folder %1 cannot be read: %2");
GLIMMERBOX_TEXT(kDriveCannotBeRead, "The drive %1 cannot be read: %2");
// %1: the file; %2: why.
GLIMMERBOX_TEXT(kCannotDelete, "The file %1 cannot be deleted: %2");
GLIMMERBOX_TEXT(kCannotWrite, "The file %1 cannot be written: %2");
// %1: the old path; %2: the new path; %3: why.
GLIMMERBOX_TEXT(kCannotRename, "%1 cannot be renamed to %2: %3");
// %1: the file's name.
GLIMMERBOX_TEXT(kRenamedNowFolder, "The file \"%1\" cannot be renamed: it is now a folder, not a file.");
// %1: the name; %2: why.
GLIMMERBOX_TEXT(kNameCannotBeUsed, "The name \"%1\" cannot be used: %2.");
// Why, after "cannot be ...:" or "cannot be used:".
GLIMMERBOX_TEXT(kNameTaken, "a file of that name already exists");
GLIMMERBOX_TEXT(kNewFolderMissing, "the new folder does not exist");
GLIMMERBOX_TEXT(kAcrossDrives, "a file cannot be moved to another drive");
GLIMMERBOX_TEXT(kRenameWouldRisk, "this drive cannot rename without the risk of replacing another file");
GLIMMERBOX_TEXT(kIsFolder, "it is a folder");
GLIMMERBOX_TEXT(kIsNotFile, "it is not a file");
GLIMMERBOX_TEXT(kIsNotRegularFile, "it is not a regular file");
GLIMMERBOX_TEXT(kIsReadOnly, "it is read-only");
GLIMMERBOX_TEXT(kProgramEnding, "the program is ending");
GLIMMERBOX_TEXT(kNameEmpty, "the name is empty");
GLIMMERBOX_TEXT(kNameIsFolder, "it names a folder, not a file");
// %1: the character.
GLIMMERBOX_TEXT(kNameHasWildcard, "it holds the wildcard character '%1'");
GLIMMERBOX_TEXT(kNameHasControl, "it holds a control character");
// %1: the name's length in bytes; %2: the most the drive allows.
GLIMMERBOX_TEXT(kNameTooLong, "it is %1 bytes long, and a name on this drive may hold at most %2");
GLIMMERBOX_TEXT(kPathTooLong, "the path it makes is longer than the system allows");
GLIMMERBOX_TEXT(kNameNotAccepted, "the system does not accept it as a file name");
// %1: the character.
GLIMMERBOX_TEXT(kNameHasWindowsCharacter, "Windows does not allow the character '%1' in a name");
GLIMMERBOX_TEXT(kNameEndsInDotOrSpace, "Windows would drop the dot or space at its end");
GLIMMERBOX_TEXT(kNameIsDevice, "Windows keeps that name for a device");
// %1: the number of a system error that has no text of its own.
GLIMMERBOX_TEXT(kSystemErrorNumber, "error %1");

// --- Pictures ---
// %1: the file; %2: why.
GLIMMERBOX_TEXT(kCannotOpen, "The file %1 cannot be opened: %2");
GLIMMERBOX_TEXT(kCannotOpenPlain, "The file %1 cannot be opened");
GLIMMERBOX_TEXT(kNotAPicture, "The file %1 is not a picture that can be shown: %2");
// %1: the file to be written.
GLIMMERBOX_TEXT(kNoPictureToSaveAs, "There is no picture to save as %1");
GLIMMERBOX_TEXT(kPictureToSaveUndecodable, "The picture to save as %1 cannot be decoded");
// %1: width; %2: height.
GLIMMERBOX_TEXT(kPixelSize, "%1 x %2 pixels");
// Why a file is not a picture that can be shown. %1: a size in pixels (the
// entry above); %2, where there is one, a number of bytes.
GLIMMERBOX_TEXT(kFailedBefore, "it failed to decode before");
GLIMMERBOX_TEXT(kHeaderClaims, "its header claims %1 in a file of %2 bytes");
GLIMMERBOX_TEXT(kTooLargeForMemory, "it is too large (%1) to decode in the memory set aside");
GLIMMERBOX_TEXT(kTooLarge, "it is too large (%1)");
GLIMMERBOX_TEXT(kSizeUnreadable, "its size cannot be read");
GLIMMERBOX_TEXT(kTruncated, "it is truncated");
GLIMMERBOX_TEXT(kBitmapHeaderUnknown, "its bitmap header is of no known kind");
// %1: the number of bits.
GLIMMERBOX_TEXT(kBitsPerPixel, "it has %1 bits a pixel");
GLIMMERBOX_TEXT(kCompressionUnknown, "its compression is of no known kind");
// %1: a number of pixels; %2: of bytes.
GLIMMERBOX_TEXT(kFramesClaim, "its frames claim %1 pixels in a file of %2 bytes");
GLIMMERBOX_TEXT(kHeaderDamaged, "its header is damaged");
GLIMMERBOX_TEXT(kNoFrameHeader, "it has no frame header");
GLIMMERBOX_TEXT(kFrameHeaderDamaged, "its frame header is damaged");
GLIMMERBOX_TEXT(kHoldsNoImage, "it holds no image");
GLIMMERBOX_TEXT(kNoReadableImage, "it holds no image that can be read");
GLIMMERBOX_TEXT(kEmpty, "it is empty");
GLIMMERBOX_TEXT(kTooShort, "it is too short to be a picture");
GLIMMERBOX_TEXT(kUnknownKind, "it is not a BMP, GIF, JPEG, PNG or icon file");
GLIMMERBOX_TEXT(kHeaderAndImagesDisagree, "its header and its images disagree");
// %1 x %2: the size the header tells; %3 x %4: the image's.
GLIMMERBOX_TEXT(kHeaderTellsOtherSize, "its header tells %1 x %2 pixels, its image %3 x %4");
// %1: the system's code in hexadecimal.
GLIMMERBOX_TEXT(kDecoderCannotStart, "the decoder could not be started for it (0x%1)");
GLIMMERBOX_TEXT(kDecoderCannotOpen, "the decoder could not open it (0x%1)");
GLIMMERBOX_TEXT(kDecoderCannotCount, "the decoder could not count the images of it (0x%1)");
GLIMMERBOX_TEXT(kDecoderCannotOpenImage, "the decoder could not open the image of it (0x%1)");
GLIMMERBOX_TEXT(kDecoderCannotSize, "the decoder could not size it (0x%1)");
GLIMMERBOX_TEXT(kDecoderCannotConvert, "the decoder could not convert it (0x%1)");
GLIMMERBOX_TEXT(kDecoderCannotPlace, "the decoder could not place it (0x%1)");
GLIMMERBOX_TEXT(kDecoderCannotScale, "the decoder could not scale it (0x%1)");
GLIMMERBOX_TEXT(kDecoderCannotRead, "the decoder could not read it (0x%1)");

// --- Start-up, on the terminal ---
GLIMMERBOX_TEXT(kNoDisplaySet, "cannot open X display (DISPLAY is not set)");
// %1: the display's name.
GLIMMERBOX_TEXT(kDisplayWillNotOpen, "cannot open X display \"%1\"");

}  // namespace words
