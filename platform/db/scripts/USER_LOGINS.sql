select c_login, c_name
  from sys.t_user
 where not b_blocked
 order by c_name
