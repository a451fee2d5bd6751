#pragma once
// The palette a newcomer's first start opens: a queue on DEMO and one on
// LEGACY, both as scott/tiger, written by the program's own palette code.

#include <QString>

#include <string>

class CQuorvaneApp;

class CQuorvaneDemoPalette {
public:
    // Opens the two queues in app's main window, titles the current palette
    // "Demo" and saves it to path, which becomes the palette's file. False
    // with a reason when a queue cannot be made or the file not written.
    static bool Write(CQuorvaneApp& app, const QString& path, std::string& reason);
    // Demo.qvp in the documents folder.
    static QString DefaultPath();
};
