// replaced by the simulated unit
