"""vmund-bulk: scan whole mail archives (Maildir folders, .eml files, mbox
files) on a Dask cluster, and report on what was found.

The job is a list of tasks, each one input file or one byte range of a large
mbox file; workers return their messages' results to the client, which alone
writes the results file, one task's lines at a time. A task that runs again
(its worker died) is written once, and a restarted job skips the tasks its
results file already holds.
"""
