#pragma once
// Converts text between the system's ANSI code page and UTF-16, the form the Task Scheduler
// takes. Direction 0: UTF-16 `wide` to ANSI `ansi`, `room` in bytes. Direction 1: ANSI `ansi`
// to UTF-16 `wide`, `room` in UTF-16 code units. The source is read up to its terminator.
// Returns 1 on success, 0 on failure or for any other direction; the target is always left
// terminated when `room` is at least 1. Nothing is written past `room`: a text that does not
// fit fails and leaves the target empty, a `room` below 1 writes nothing, and any other
// direction touches neither buffer.
int ConvertString(char* ansi, wchar_t* wide, int room, int direction);
