unit Example;
