/* mqic.dll: the client-library name of the stand-in.  Every verb is
 * forwarded to mqm.dll (see mqic.def), so that client and local
 * connections of one process see the same queue managers. */
