#pragma once

// The two formats of encrypted files. Both are written as "name.enc".
//  - Compatible: the two RC4 layers, same length as the original, no header;
//    what other installations read and write.
//  - Age: age v1 with the key text as passphrase (scrypt); detects a wrong
//    key and any change to the file, and opens with the age tool.
enum class FileFormat { Compatible, Age };
