// The text of `quellan --help`, with the exit codes.
#include "Help.h"

namespace quellan {

const char* const HELP_TEXT = R"(quellan - try a Quellan 2 plug-in from the command line

Usage: quellan [--plugin PATH] [--csv | --json] COMMAND [ARGUMENTS...]

The plug-in is MultiQuellan, beside this program, unless --plugin names
another library. Each run loads it, calls quellan2_initialize, opens a
connection with an empty connection text when the command needs one, and
closes, uninitializes and unloads it again at the end.

Commands:
  identity
      The plug-in's identity text (quellan2_getIdentity).
  tree
      Every node and tag with its handle and path, depth first. Sub-nodes
      are shown when the plug-in exports the sub-node functions.
  read TAG...
      Current values (quellan2_connectionReadCurrentData).
  history TAG... --start T [--interval SECONDS] [--samples N]
      Values at T, T + SECONDS, ... (quellan2_connectionReadHistoricalDataEx),
      one row per time point. Defaults: --interval 0, --samples 1; at most
      1000000 samples.
  batch-read BATCH TAG... [--time T]
      Values of a batch (quellan2_connectionReadBatchDataEx with --time,
      quellan2_connectionReadBatchData without).
  write-history TAG... --time T [--interval SECONDS] [--samples N] --values V...
      Writes values (quellan2_connectionWriteHistoricalDataEx). Give one value
      per tag and time point: all tags of the first time point, then all of
      the next, and so on.
  write-batch BATCH TAG... --values V... [--time T]
      Writes one value per tag for a batch (quellan2_connectionWriteBatchDataEx
      with --time, quellan2_connectionWriteBatchData without).
  batches NODE --from T --to T
      The node's batches active between the two times
      (quellan2_nodeGetActiveBatches).
  batch-times NODE BATCH [--time T]
      Start and end of a batch (quellan2_nodeGetBatchTimes); --time defaults
      to now. A time the plug-in left unset shows as -1.
  update-time TAG...
      When each tag last changed (quellan2_tagGetUpdateTime).
  time
      The connection's current time (quellan2_connectionGetCurrentTime).
  configure [TEXT]
      Calls quellan2_updateConfiguration with TEXT (default: empty) and shows
      the configuration text it returned. MultiQuellan shows its
      configuration dialog for this.
  children
      Each child in MultiQuellan's configuration file, taken through the
      library's open: in the tree or why not, node and tag counts, tags
      below sub-nodes the merged tree does not show, top-level names shared
      with another child, start-up time. Exit code 1 when a child is left out
      or the file gave no children.
  check --plugin PATH
      Holds the plug-in to the interface's rules, one line per rule (PASS,
      FAIL, WARN, SKIP). Exit code 1 when a rule failed.
  help
      This text.

Options:
  --plugin PATH    the plug-in library to load
  --csv            write comma-separated values (null is an empty field)
  --json           write a JSON array with one object per row
  --help, -h       this text
Options may stand anywhere after the program name, also as --name=VALUE.
--values takes every following word up to the next option.

Names:
  A tag is named by its node and its name, Node/Tag; below sub-nodes the
  whole path, Area/Unit/Tag. A node is named by its path. "#N" addresses the
  tag (or, where a node is expected, the node) with handle N directly, as
  `quellan tree` lists them; #0x1F is hexadecimal. A name shared by several
  tags is refused as ambiguous, with their handles.

Times:
  ISO 8601 UTC, 2024-05-01T12:00:00Z, or seconds since 1970, 1714564800;
  from 1970-01-01T00:00:00Z to 2038-01-19T03:14:07Z. Times are printed in
  ISO 8601 UTC.

Values to write:
  a number (12, -0.5, 1e3) is a float, null is null, anything else is a
  string. Quote a word to make it a string: '"12"' or '"null"'.

Output:
  An aligned table by default, --csv or --json on request. Floats are
  printed with the fewest digits that read back as the same float.

Exit codes:
  0  success
  1  the plug-in returned a failing status (named on stderr, such as
     QUELLAN2_STATUS_INVALID_PARAMETER) or a malformed answer
  2  bad command line: unknown command or option, wrong number of
     arguments, bad number, time or value
  3  a name that matches no node or tag, or several
  4  the plug-in cannot be loaded, or lacks a function the command needs
  5  any other failure
Errors are reported on stderr; nothing is written to stdout then.

Examples:
  quellan tree
  quellan --plugin ./SimQuellan.so read Line1/Temperature Line1/State
  quellan history Line1/Temperature '#3' --start 2024-05-01T00:00:00Z --interval 60 --samples 10 --csv
  quellan batches Line1 --from 2024-05-01T00:00:00Z --to 1714608000
  quellan batch-read B-100 Line1/Temperature --json
  quellan write-history Line1/Temperature Line1/State --time 2024-05-01T12:00:00Z --values 21.5 Running
  quellan write-history Line1/Temperature --time 1714564800 --interval 60 --samples 3 --values 1 2 null
  quellan write-batch B-100 Line1/Temperature Line1/State --values 20 '"42"'
  quellan batch-times Line1 B-100
)";

}  // namespace quellan
