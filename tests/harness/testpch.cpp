/* The unit that the test programs' precompiled header is built with: the
 * header is GoogleTest's and the standard library's most used parts. */
