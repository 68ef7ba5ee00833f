#pragma once
// What kestrilo-cli --help prints.

namespace kestrilo::cli {

inline constexpr char kHelp[] =
    "Usage: kestrilo-cli [OPTION]... PATH...\n"
    "Find identical files in the folders and files named by PATH (folders with all\n"
    "their sub-folders) and list every group of them; optionally delete the surplus\n"
    "copies. A file counts as a duplicate only after a byte-by-byte comparison.\n"
    "\n"
    "      --filter WILDCARD     take only files whose name matches WILDCARD\n"
    "                            (* and ?; default *.*, which takes every file)\n"
    "      --no-sort             keep the groups in the order they were found\n"
    "                            instead of sorting the candidates by size\n"
    "      --format FORMAT       how to list the groups: report (the default):\n"
    "                            one \"group, name, size, folder\" line per file;\n"
    "                            fdupes: one full path per line, a blank line\n"
    "                            after each group; json: one JSON document\n"
    "      --report FILE         write the listing to FILE instead of standard\n"
    "                            output (replacing FILE only once it is complete)\n"
    "      --delete-below FOLDER\n"
    "                            delete the duplicates that lie below FOLDER\n"
    "      --delete-on-drive FOLDER\n"
    "                            delete the duplicates on the file system that\n"
    "                            holds FOLDER\n"
    "      --yes                 delete without asking first\n"
    "      --dry-run             with --delete-below or --delete-on-drive: print\n"
    "                            \"delete PATH\" and \"keep PATH\" for every file that\n"
    "                            would go and the copy that would stay, and\n"
    "                            \"fail PATH\" for a file that could not go (a\n"
    "                            read-only one on Windows); delete nothing\n"
    "      --threads N           read files with N threads; more than 8 per core\n"
    "                            or 64 in all are lowered to that bound (default:\n"
#ifdef _WIN32
    "                            one per core, and 32 while the folders are\n"
    "                            listed)\n"
#else
    "                            one per core, and up to 32 while the folders are\n"
    "                            listed, once files come from the disk rather\n"
    "                            than from memory)\n"
#endif
    "  -h, --help                print this help and exit\n"
    "  -V, --version             print the version and exit\n"
    "      --                    take every later argument as a PATH\n"
    "\n"
    "Deleting never takes the last file of a group: a file goes only when another\n"
    "file of its group still holds the same bytes. Each file that could not be\n"
    "deleted is named with the reason on standard error. Status texts go to\n"
    "standard error; the progress line only to a terminal.\n"
#ifdef _WIN32
    "In the fdupes listing and the dry run's lines every path is written as it is,\n"
    "and lines end in CR LF.\n"
#else
    "In the fdupes listing a backslash is written as \\\\ and a newline as \\n; see\n"
    "kestrilo-cli(1) for the JSON form of names that are not valid UTF-8.\n"
#endif
    "\n"
    "Exit status:\n"
    "  0    done, whether or not duplicates were found\n"
    "  1    failure: a file could not be deleted (in a dry run: would not be),\n"
    "       the listing could not be written, deletion refused, or\n"
    "       memory or another resource of the system ran out\n"
    "  2    usage error\n"
    "  130  interrupted by SIGINT (Ctrl-C)\n"
    "  143  stopped by SIGTERM\n"
    "\n"
    "Examples:\n"
#ifdef _WIN32
    "  kestrilo-cli C:\\Users\\%USERNAME%\\Pictures D:\\Backup\\Pictures\n"
    "  kestrilo-cli --format fdupes C:\\Users\\%USERNAME%\\Music | more\n"
    "  kestrilo-cli --dry-run --delete-below C:\\Users\\%USERNAME%\\Pictures\\old\n"
    "               C:\\Users\\%USERNAME%\\Pictures\n";
#else
    "  kestrilo-cli ~/Pictures /media/backup/Pictures\n"
    "  kestrilo-cli --format fdupes ~/Music | less\n"
    "  kestrilo-cli --dry-run --delete-below ~/Pictures/old ~/Pictures\n";
#endif

}  // namespace kestrilo::cli
