#pragma once
// The remote control panel in the desktop's accessibility tree: each key of the skin is a push
// button named as in the skin's button list, in reading order, whose press action clicks it.
// The panel draws its keys itself, so without this a screen reader would find one blank window.

// Makes the accessibility framework describe every CRemoteControlWnd so; once per process.
void InstallRemotePanelAccessibility();
