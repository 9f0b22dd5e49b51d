#ifndef LAUNCHER_PIPED_TEXT_H_
#define LAUNCHER_PIPED_TEXT_H_

// Reads all of standard input, starts one empty editor and hands it the
// text as an untitled, unmodified document.
void HandOffPipedText();

#endif  // LAUNCHER_PIPED_TEXT_H_
