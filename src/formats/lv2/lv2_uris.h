// The names this plug-in is known by: its URIs and its state keys. They are
// stored in hosts' sessions and presets, so they never change.
#pragma once

#define KX_LV2_URI "urn:kelvox2:kelvox2"
#define KX_LV2_UI_URI KX_LV2_URI "#ui"
#define KX_LV2_STATE_BANK KX_LV2_URI "#bank"
#define KX_LV2_STATE_PROGRAM KX_LV2_URI "#program"
#define KX_LV2_BINARY "Kelvox2.so"
