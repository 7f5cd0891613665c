/* Common services: the public interface. */
#pragma once
