#pragma once
// A benchmark helper outside every module's folder: a fault, whatever it includes.
