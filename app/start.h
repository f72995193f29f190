#pragma once

class Options;

/**
 * Runs the service: attaches the log listeners of `application-log`, builds
 * the Application and runs the main loop until a signal or the end of the
 * broker connection. Returns 0 after a signal, 1 when the broker connection
 * ended the run (so that a supervisor restarts the service), -1 when the
 * service could not start (the reason on standard error).
 */
int start(const Options& options);
