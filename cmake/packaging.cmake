# Installation and packaging of kestrin.
install(TARGETS kestrin RUNTIME DESTINATION bin)
