// The numbered commands that screens submit to the document's network
// workers, and the numbers by which the player reports segments.
#pragma once

namespace kestrova::model {

enum NetworkCommand : int {
  kCommandLoginAndCountries = 1,
  kCommandNewUser = 2,
  kCommandLoginWithLocation = 3,
  kCommandOperators = 4,
  kCommandSetupAndCatalogue = 5,
  kCommandCountries = 6,
  kCommandZones = 7,
  kCommandLanguageSettings = 8,
  kCommandSetupCatalogueVideos = 9,
  kCommandSetupAfterLocation = 10,
  kCommandBill = 11,
  kCommandCreditPurchase = 12,
  kCommandCatalogue = 13,
  kCommandSubscribe = 14,
  kCommandProgrammeBlocks = 15,
  kCommandBlockElements = 16,
  kCommandVideos = 17,
  kCommandFavourite = 18,
  kCommandBuyInfo = 19,
  kCommandMessages = 20,
  kCommandVersion = 21,
  kCommandFeedback = 22,
  kCommandHelpThemes = 23,
  kCommandHelpTexts = 24,
  kCommandStreamSetup = 25,
  kCommandSegmentFinished = 26,
  kCommandSegmentOpened = 27,
  kCommandGifts = 28,
  kCommandFolderPayment = 29,
  kCommandCurrentProgramme = 30,
  kCommandNextProgramme = 31,
  kCommandVideoDetails = 32,
  kCommandNextPreview = 33,
  // A logo that was dropped to keep the pictures within their memory budget,
  // fetched again for the screen that draws it.
  kCommandLogoAgain = 35,
};

inline constexpr int kFirstCommand = 1;
inline constexpr int kLastCommand = 35;  // 34 is not a command (below)

// Not a command: the player's verdict on each segment, handed to the player
// screen like a result whose ok flag is 1 when the segment plays and 0 when
// it was dropped unplayed.
inline constexpr int kNoticeSegmentChecked = 34;

}  // namespace kestrova::model
